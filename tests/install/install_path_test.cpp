// The destination folder rules of the wizard's second page.
#include <gtest/gtest.h>

#include <string>

#include "setup/InstallPath.h"

namespace {

TEST(InstallPath, RefusesWhatIsNoFolderWindowsCanMake) {
    struct Case {
        std::string path;
        const char* says;  // nullptr: accepted
    } cases[] = {
        {"C:\\Program Files\\Drift", nullptr},
        {"c:/Program Files/Drift", nullptr},
        {"C:\\", nullptr},
        {"\\\\server\\share\\Drift", nullptr},
        {"C:\\Drift Pane\\v1.2\\a b", nullptr},
        {"C:\\a\\\\b", nullptr},
        {"C:\\Program Files\\Console", nullptr},
        {"C:\\COM10\\LPT0", nullptr},
        {"", "full path"},
        {"relative\\folder", "full path"},
        {"C:folder", "full path"},
        {"\\\\server", "full path"},
        {"C:\\Drift:A", "the character \":\""},
        {"C:\\QA Keys\\DriftAC:\\Program Files\\DriftCheckA", "the character \":\""},
        {"\\\\server\\share\\x:y", "the character \":\""},
        {"C:\\a?b", "the character \"?\""},
        {"C:\\a*", "the character \"*\""},
        {"C:\\<a>", "the character \"<\""},
        {"C:\\a|b", "the character \"|\""},
        {"C:\\a\"b", "the character \"\"\""},
        {"C:\\a\tb", "a control character"},
        {"C:\\CON", "\"CON\": Windows keeps it for a device"},
        {"C:\\x\\nul.txt\\y", "\"nul.txt\": Windows keeps it for a device"},
        {"C:\\Com1", "\"Com1\""},
        {"C:\\LPT9 .x", "\"LPT9 .x\""},
        {"\\\\server\\share\\AUX", "\"AUX\""},
        {"C:\\Drift.", "ends in a dot or a blank"},
        {"C:\\Drift \\x", "ends in a dot or a blank"},
        {"C:\\a\\..\\b", "ends in a dot or a blank"},
        {"C:\\" + std::string(244, 'x'), nullptr},
        {"C:\\" + std::string(244, 'x') + "y", "at most 247 characters"},
    };
    for (const Case& c : cases) {
        const std::string fault = InstallPathFault(c.path, "Drift");
        if (!c.says) {
            EXPECT_EQ(fault, "") << c.path;
        } else {
            EXPECT_NE(fault.find(c.says), std::string::npos) << c.path << ": " << fault;
        }
    }
    // The limit leaves room for the package's files below the folder.
    EXPECT_EQ(InstallPathFault("C:\\" + std::string(97, 'x'), "Drift", 100), "");
    EXPECT_NE(InstallPathFault("C:\\" + std::string(98, 'x'), "Drift", 100).find("at most 100 characters"),
              std::string::npos);
    // The example names the program.
    EXPECT_NE(InstallPathFault("x", "Drift Pane").find("C:\\Program Files\\Drift Pane."), std::string::npos);
}

}  // namespace
