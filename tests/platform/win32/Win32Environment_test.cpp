#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/SystemEnvironment.h"
#include "platform/win32/NamedMutex.h"

namespace qx7 {
namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                           wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

// A name no other test process under the same Wine server uses.
std::string PrivateName(const std::string& stem) {
    return stem + "-" + std::to_string(GetCurrentProcessId());
}

TEST(Win32EnvironmentTest, ExecutablePathNamesThisTestProgram) {
    const std::string path = ExecutablePath();
    ASSERT_GT(path.size(), 4u);
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(tail, ".exe");
    EXPECT_NE(path.find("qx7_unit_tests"), std::string::npos) << path;
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(Win32EnvironmentTest, LanguageFollowsTheSystemsUiLanguage) {
    // Wine takes its UI language from the locale the process starts in.
    const char* all = std::getenv("LC_ALL");
    const std::string locale = all != nullptr ? all : "";
    if (locale.rfind("ja", 0) == 0) {
        EXPECT_EQ(SystemDefaultLanguage(), kJapanese);
    } else if (locale.rfind("en", 0) == 0 || locale == "C" || locale == "POSIX") {
        EXPECT_EQ(SystemDefaultLanguage(), kEnglish);
    } else {
        const LanguageId language = SystemDefaultLanguage();
        EXPECT_TRUE(language == kEnglish || language == kJapanese) << language;
    }
}

TEST(NamedMutexTest, SecondHolderSeesTheFirstUntilItIsGone) {
    const std::string name = PrivateName("QX7-test-instance");
    {
        const NamedMutex first(name);
        EXPECT_TRUE(first.Held());
        EXPECT_FALSE(first.AlreadyRunning());
        const NamedMutex second(name);
        EXPECT_TRUE(second.AlreadyRunning());
        EXPECT_FALSE(second.Held());
        // The loser lets go at once: the mutex stays only as long as the first holds it.
        const NamedMutex third(name);
        EXPECT_TRUE(third.AlreadyRunning());
    }
    const NamedMutex again(name);
    EXPECT_TRUE(again.Held());
    EXPECT_FALSE(again.AlreadyRunning());
}

TEST(NamedMutexTest, NameIsUtf8AndTheMutexIsTheSystemsNamedOne) {
    // "Two copies" in Japanese: must reach the system as those characters, not as code-page bytes.
    const std::string name = PrivateName("\xE4\xBA\x8C\xE9\x87\x8D\xE8\xB5\xB7\xE5\x8B\x95");
    {
        const NamedMutex held(name);
        ASSERT_TRUE(held.Held());
        HANDLE other = OpenMutexW(SYNCHRONIZE, FALSE, Wide(name).c_str());
        ASSERT_NE(other, nullptr);
        // Owned by this thread, so waiting for it succeeds at once (mutexes are recursive).
        EXPECT_EQ(WaitForSingleObject(other, 0), WAIT_OBJECT_0);
        ReleaseMutex(other);
        CloseHandle(other);
    }
    // Gone with its holder.
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, Wide(name).c_str()), nullptr);
}

TEST(NamedMutexTest, NameTheSystemRefusesIsNeitherHeldNorRunning) {
    // A backslash names a namespace; an unknown one cannot be created.
    const NamedMutex refused(PrivateName("NoSuchNamespace\\QX7"));
    EXPECT_FALSE(refused.Held());
    EXPECT_FALSE(refused.AlreadyRunning());
    const NamedMutex invalid("\xFF\xFE");
    EXPECT_FALSE(invalid.Held());
    EXPECT_FALSE(invalid.AlreadyRunning());
}

}  // namespace
}  // namespace qx7
