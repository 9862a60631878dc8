// Which code is running: the test program's own image says what it was built for, and the
// system says what the process is. The 32-bit build must run as a 32-bit process, either on
// a 32-bit system or beside 64-bit code under WoW64; never as a 64-bit stand-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

WORD ImageMachine() {
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->FileHeader.Machine;
}

TEST(Bitness, TheProcessRunsTheCodeOfItsBuild) {
    SYSTEM_INFO native{};
    GetNativeSystemInfo(&native);
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    const WORD arch = native.wProcessorArchitecture;
    RecordProperty("wow64", wow64 ? "yes" : "no");
    RecordProperty("native_architecture", arch);
#ifdef _WIN64
    EXPECT_EQ(ImageMachine(), IMAGE_FILE_MACHINE_AMD64);
    EXPECT_FALSE(wow64);
    EXPECT_EQ(arch, PROCESSOR_ARCHITECTURE_AMD64);
#else
    static_assert(sizeof(void*) == 4);
    EXPECT_EQ(ImageMachine(), IMAGE_FILE_MACHINE_I386);
    // A 32-bit process on a 32-bit system, or under WoW64 on a 64-bit one.
    if (wow64)
        EXPECT_EQ(arch, PROCESSOR_ARCHITECTURE_AMD64);
    else
        EXPECT_EQ(arch, PROCESSOR_ARCHITECTURE_INTEL);
    std::printf("32-bit process, %s\n", wow64 ? "under WoW64 on a 64-bit system" : "on a 32-bit system");
#endif
}

}  // namespace
