#include "Platform/Desktop/SingleInstance.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/ScopedUserEnvironment.h"

namespace Platform {
namespace {

using Role = SingleInstance::Role;

const std::string kCommandLine =
    "\"/opt/Skylet Editor/SkyletPresetEditor\" \"/home/ann/Bänke/Lead pad.skp\" -DEBUG_CONSOLE:9000 "
    "プリセット";

class SingleInstanceTest : public testing::Test {
protected:
    SingleInstanceTest() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/skylet-instance-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        mFolder = pattern;
    }
    ~SingleInstanceTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }

    SingleInstance* New() {
        mInstances.push_back(std::make_unique<SingleInstance>(kName, mFolder));
        return mInstances.back().get();
    }

    // Polls first on a thread of its own until a command line arrives (or a generous limit
    // passes), while the calling thread starts a later copy.
    std::vector<std::string> StartSecondWhileFirstPolls(SingleInstance& first, const std::string& commandLine,
                                                        Role& secondRole) {
        std::vector<std::string> received;
        std::thread poller([&first, &received] {
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (received.empty() && std::chrono::steady_clock::now() < limit) {
                pollfd wait{first.GetFileDescriptor(), POLLIN, 0};
                ::poll(&wait, 1, 20);
                first.Poll([&received](const std::string& line) { received.push_back(line); });
            }
        });
        secondRole = New()->Start(commandLine, 10000);
        poller.join();
        return received;
    }

    const std::string kName = "SkyletTestMainWindowClass";
    std::string mFolder;
    std::vector<std::unique_ptr<SingleInstance>> mInstances;
};

TEST_F(SingleInstanceTest, ALaterCopyHandsItsCommandLineToTheRunningOne) {
    SingleInstance& first = *New();
    EXPECT_EQ(first.GetLockPath(), mFolder + "/SkyletTestMainWindowClassPrevent");
    ASSERT_EQ(first.Start("first"), Role::kFirstInstance);
    ASSERT_GE(first.GetFileDescriptor(), 0);
    EXPECT_EQ(first.Poll(nullptr), 0);

    Role second = Role::kFirstInstance;
    EXPECT_EQ(StartSecondWhileFirstPolls(first, kCommandLine, second),
              std::vector<std::string>{kCommandLine});
    EXPECT_EQ(second, Role::kAlreadyRunning);

    // A copy that is not answered in time still ends; its command line waits for the next poll
    // and the socket shows it.
    EXPECT_EQ(New()->Start("late copy", 0), Role::kAlreadyRunning);
    pollfd wait{first.GetFileDescriptor(), POLLIN, 0};
    EXPECT_EQ(::poll(&wait, 1, 5000), 1);
    std::vector<std::string> received;
    EXPECT_EQ(first.Poll([&received](const std::string& line) { received.push_back(line); }), 1);
    EXPECT_EQ(received, std::vector<std::string>{"late copy"});

    // Once the running copy is gone the next one starts as the first.
    mInstances.clear();
    EXPECT_FALSE(std::filesystem::exists(mFolder + "/SkyletTestMainWindowClassPrevent.socket"));
    EXPECT_EQ(New()->Start("next"), Role::kFirstInstance);
}

TEST_F(SingleInstanceTest, AKilledCopyLeavesNothingThatBlocksTheNextStart) {
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance instance(kName, mFolder);
        const char role = static_cast<char>(instance.Start("killed copy"));
        (void)!::write(report[1], &role, 1);
        for (;;) {
            ::pause();
        }
    }
    ::close(report[1]);
    char role = -1;
    ASSERT_EQ(::read(report[0], &role, 1), 1);
    ::close(report[0]);
    EXPECT_EQ(role, static_cast<char>(Role::kFirstInstance));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    ASSERT_TRUE(std::filesystem::exists(mFolder + "/SkyletTestMainWindowClassPrevent.socket"));

    SingleInstance& first = *New();
    ASSERT_EQ(first.Start("after the crash"), Role::kFirstInstance);
    Role second = Role::kFirstInstance;
    EXPECT_EQ(StartSecondWhileFirstPolls(first, kCommandLine, second),
              std::vector<std::string>{kCommandLine});
    EXPECT_EQ(second, Role::kAlreadyRunning);
}

TEST_F(SingleInstanceTest, AnUnreachableOrMissingLockStartsANormalCopy) {
    SingleInstance& first = *New();
    ASSERT_EQ(first.Start("first"), Role::kFirstInstance);
    std::filesystem::remove(first.GetSocketPath());
    EXPECT_EQ(New()->Start(kCommandLine, 100), Role::kRunAlongside);
    EXPECT_EQ(SingleInstance(kName, "").Start(kCommandLine), Role::kRunAlongside);
}

// Its messages carry its own prefix, whichever other source shares its translation unit.
TEST_F(SingleInstanceTest, ItsDebugMessagesCarryItsOwnPrefix) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(SingleInstance(kName, "").Start(kCommandLine), Role::kRunAlongside);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(output.rfind("Single instance : no folder for the lock file", 0), 0u) << output;
    EXPECT_EQ(output.find("File dialog"), std::string::npos) << output;
}

// Any command line a process can be given reaches the running copy whole (Linux passes at most
// 6 MiB of arguments); a longer text, which no process is given, still ends the later copy and
// calls the running one forward, with an empty line.
TEST_F(SingleInstanceTest, ACommandLineOfAnyLengthAProcessCanHaveIsHandedOverWhole) {
    SingleInstance& first = *New();
    ASSERT_EQ(first.Start("first"), Role::kFirstInstance);
    struct Case {
        size_t length;
        bool whole;
    };
    const Case cases[] = {
        {129 * 1024, true}, {6 * 1024 * 1024, true}, {SingleInstance::kMaxCommandLineBytes, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string line(c.length, 'a');
        for (size_t i = 0; i < line.size(); i += 97) {
            line[i] = static_cast<char>('0' + i % 10);
        }
        Role second = Role::kFirstInstance;
        const std::vector<std::string> received = StartSecondWhileFirstPolls(first, line, second);
        EXPECT_EQ(second, Role::kAlreadyRunning);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_TRUE(received[0] == (c.whole ? line : std::string())) << received[0].size();
    }
}

// Without a runtime folder or a home, the lock lives in a private folder under TMPDIR, so a
// second start still hands over to the first.
TEST_F(SingleInstanceTest, WithoutARuntimeOrHomeFolderTheLockLivesInAPrivateFolder) {
    TestSupport::ScopedUserEnvironment environment;
    for (const char* name : {"XDG_RUNTIME_DIR", "HOME", "XDG_STATE_HOME"}) {
        environment.Set(name, nullptr);
    }
    environment.Set("TMPDIR", mFolder.c_str());
    const std::string folder = SingleInstance::GetDefaultFolder();
    EXPECT_EQ(folder, mFolder + "/skylet-" + std::to_string(::geteuid()));
    mInstances.push_back(std::make_unique<SingleInstance>(kName, folder));
    SingleInstance& first = *mInstances.back();
    ASSERT_EQ(first.Start("first"), Role::kFirstInstance);
    std::vector<std::string> received;
    std::thread poller([&first, &received] {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (received.empty() && std::chrono::steady_clock::now() < limit) {
            pollfd wait{first.GetFileDescriptor(), POLLIN, 0};
            ::poll(&wait, 1, 20);
            first.Poll([&received](const std::string& line) { received.push_back(line); });
        }
    });
    EXPECT_EQ(SingleInstance(kName, SingleInstance::GetDefaultFolder()).Start(kCommandLine, 10000),
              Role::kAlreadyRunning);
    poller.join();
    EXPECT_EQ(received, std::vector<std::string>{kCommandLine});
}

// The private folder is made for this user alone, and one that someone else could reach (open
// to others, a link, not a folder, another owner) is not used.
TEST_F(SingleInstanceTest, ThePrivateFolderIsUsedOnlyWhileItIsThisUsersAlone) {
    const std::string folder = mFolder + "/skylet-" + std::to_string(::geteuid());
    EXPECT_EQ(SingleInstance::GetPrivateFolder(mFolder + "/"), folder);
    struct stat info {};
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(SingleInstance::GetPrivateFolder(mFolder), folder) << "found again";

    const std::string elsewhere = mFolder + "/elsewhere";
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
    struct Case {
        const char* what;
        std::function<void()> make;
    };
    const std::vector<Case> cases = {
        {"open to others", [&] { ::chmod(folder.c_str(), 0755); }},
        {"a link to a private folder", [&] { std::filesystem::create_directory_symlink(elsewhere, folder); }},
        {"a file", [&] { std::ofstream(folder) << "x"; }},
        {"another user's",
         [&] {
             ::mkdir(folder.c_str(), 0700);
             if (::chown(folder.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) != 0) {
                 ::rmdir(folder.c_str());  // not allowed to give it away: stands for nothing
                 std::ofstream(folder) << "x";
             }
         }},
    };
    testing::internal::CaptureStderr();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::error_code ignored;
        std::filesystem::remove(folder, ignored);
        if (std::string(c.what) == "open to others") {
            ::mkdir(folder.c_str(), 0700);
        }
        c.make();
        EXPECT_EQ(SingleInstance::GetPrivateFolder(mFolder), "");
    }
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_NE(output.find("Single instance : the folder for the lock file is not a private folder"),
              std::string::npos)
        << output;
}

std::string Frame(uint32_t tag, uint32_t byteCount, const std::string& bytes) {
    std::string frame(8, '\0');
    std::memcpy(frame.data(), &tag, 4);
    std::memcpy(frame.data() + 4, &byteCount, 4);
    return frame + bytes;
}

TEST_F(SingleInstanceTest, TheRunningCopyReadsNoMoreThanTheFrameSaysAndGivesUpOnBadOrStalledOnes) {
    SingleInstance& first = *New();
    ASSERT_EQ(first.Start("first"), Role::kFirstInstance);
    first.SetReadTimeout(50);
    struct Case {
        std::string bytes;
        std::vector<std::string> received;
    };
    const std::vector<Case> cases = {
        {Frame(1125, 5, std::string("ab\0cd", 5)), {"ab"}},  // the text ends at its first zero
        {Frame(1125, 5, "hello"), {"hello"}},                // or with the bytes that came
        {Frame(1125, 6, "hello") + "!!!", {"hello!"}},
        {Frame(1126, 6, std::string("hello", 6)), {}},  // another tag
        {Frame(1125, 0, ""), {}},
        {Frame(1125, SingleInstance::kMaxCommandLineBytes + 1, "x"), {}},
        {Frame(1125, 10, "abc"), {}},  // stalls
        {"\x65\x04", {}},              // stalls in the header
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, first.GetSocketPath().c_str());
        ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::write(client, cases[i].bytes.data(), cases[i].bytes.size()),
                  static_cast<ssize_t>(cases[i].bytes.size()));
        std::vector<std::string> received;
        const auto start = std::chrono::steady_clock::now();
        first.Poll([&received](const std::string& line) { received.push_back(line); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(received, cases[i].received);
        ::close(client);
    }
}

TEST_F(SingleInstanceTest, TheReaderThreadTakesHandOversWhileASilentClientStallsOnlyItself) {
    SingleInstance& first = *New();
    ASSERT_EQ(first.Start("first"), Role::kFirstInstance);
    first.SetReadTimeout(100);
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::string> received;
    std::thread::id readOn;
    ASSERT_TRUE(first.StartListening([&](const std::string& line) {
        std::lock_guard hold(lock);
        received.push_back(line);
        readOn = std::this_thread::get_id();
        arrived.notify_all();
    }));
    // Connects and says nothing: the reader gives up on it after its read time-out.
    const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, first.GetSocketPath().c_str());
    ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(New()->Start(kCommandLine, 10000), Role::kAlreadyRunning);
    {
        std::unique_lock hold(lock);
        arrived.wait_for(hold, std::chrono::seconds(10), [&] { return !received.empty(); });
    }
    first.StopListening();
    ::close(silent);
    EXPECT_EQ(received, std::vector<std::string>{kCommandLine});
    EXPECT_NE(readOn, std::this_thread::get_id());
    // Stopped: nothing listens until it starts again, and stopping twice is harmless.
    first.StopListening();
    EXPECT_EQ(first.Poll(nullptr), 0);
}

}  // namespace
}  // namespace Platform
