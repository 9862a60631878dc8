/* Exits 0 where this kernel runs 32-bit code in a 64-bit process (what Wine's WoW64 mode needs),
 * 1 where it does not: it far-calls a two-instruction routine through the 32-bit user code
 * segment. Some kernels (ia32_emulation=off, some hypervisors) leave that segment unusable, and
 * the call faults. x86-64 Linux only; build without PIE so the return address fits in 32 bits. */
#define _GNU_SOURCE
#include <setjmp.h>
#include <signal.h>
#include <string.h>
#include <sys/mman.h>

static sigjmp_buf faulted;
static void on_fault(int sig) { siglongjmp(faulted, sig); }

int main(void) {
    static char alt[65536];
    stack_t ss = {.ss_sp = alt, .ss_size = sizeof alt};
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_fault;
    sa.sa_flags = SA_ONSTACK;
    sigaltstack(&ss, 0);
    sigaction(SIGSEGV, &sa, 0);
    sigaction(SIGBUS, &sa, 0);
    sigaction(SIGILL, &sa, 0);
    if (sigsetjmp(faulted, 1)) return 1;

    /* Code, pointer and stack all below 4 GiB: 32-bit code sees only the low halves. */
    unsigned char* low = mmap(0, 65536, PROT_READ | PROT_WRITE | PROT_EXEC,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    if (low == MAP_FAILED) return 1;
    static const unsigned char code[] = {0xb8, 0x78, 0x56, 0x34, 0x12, /* mov eax, 0x12345678 */
                                         0xcb};                        /* retf */
    memcpy(low, code, sizeof code);
    struct __attribute__((packed)) {
        unsigned int offset;
        unsigned short selector;
    }* target = (void*)(low + 0x100);
    target->offset = (unsigned int)(unsigned long)low;
    target->selector = 0x23; /* the kernel's 32-bit user code segment */
    unsigned long stack = (unsigned long)low + 0xff00, result = 0;
    __asm__ volatile(
        "mov %%rsp, %%rbx\n\t"
        "mov %2, %%rsp\n\t"
        "lcall *(%1)\n\t"
        "mov %%rbx, %%rsp\n\t"
        : "=a"(result)
        : "r"(target), "r"(stack)
        : "rbx", "memory");
    return result == 0x12345678 ? 0 : 1;
}
