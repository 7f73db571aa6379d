// The command line's outputs: standard output as the export target, an explicit format, and a
// scan cut short by a lost connection, which still writes what it found but says so.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "cli/command_line.h"
#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"
#include "tools/relay/delay_relay.h"

namespace {

using namespace std::chrono_literals;

// Standard output stands in as a pipe whose reader collects everything.
class OutputPipe {
public:
    OutputPipe() {
        if (::pipe(fds_) != 0) return;
        reader_ = std::thread([this] {
            char buffer[65536];
            for (ssize_t n; (n = ::read(fds_[0], buffer, sizeof buffer)) > 0;)
                received_.append(buffer, static_cast<std::size_t>(n));
        });
    }
    ~OutputPipe() { Close(); }
    int WriteEnd() const { return fds_[1]; }
    // Everything written, once the writing end is closed.
    const std::string& Received() {
        Close();
        return received_;
    }

private:
    void Close() {
        if (fds_[1] >= 0) ::close(std::exchange(fds_[1], -1));
        if (reader_.joinable()) reader_.join();
        if (fds_[0] >= 0) ::close(std::exchange(fds_[0], -1));
    }
    int fds_[2] = {-1, -1};
    std::thread reader_;
    std::string received_;
};

class ScanOutput : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("quorvane-out-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
        language = 0;
    }

    int Run(const std::vector<std::string>& args, int dataFd = -1) {
        std::istringstream in;
        out.str({});
        err.str({});
        CliStreams io{in, out, err, [](const std::string&) { return std::nullopt; }, false, dataFd};
        return RunCommandLine(args, io);
    }
    std::string File(const std::string& name) const { return (dir / name).string(); }
    static std::string Head(const std::string& path, std::size_t n) {
        std::ifstream in(path, std::ios::binary);
        std::string text(n, '\0');
        in.read(text.data(), static_cast<std::streamsize>(n));
        return text.substr(0, static_cast<std::size_t>(in.gcount()));
    }

    std::filesystem::path dir;
    std::ostringstream out, err;
};

TEST_F(ScanOutput, DashWritesToStandardOutputAndTheResultLineToStandardError) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    const std::string count = std::to_string(server->Points().size());
    struct Case {
        std::vector<std::string> extra;
        std::string starts;  // the first bytes of what the pipe received
    };
    const Case cases[] = {
        {{}, "ID,Name,"},  // csv, without the byte-order mark a file carries
        {{"--format", "xlsx"}, "PK\x03\x04"},
        {{"--format=xls"}, "\xD0\xCF\x11\xE0"},
    };
    for (const Case& c : cases) {
        OutputPipe pipe;
        std::vector<std::string> args = {"--export", "-", "--url", server->Url(), "--lang", "en"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        ASSERT_EQ(Run(args, pipe.WriteEnd()), kCliDone) << err.str();
        EXPECT_EQ(out.str(), "") << "standard output carries the points only";
        EXPECT_EQ(err.str(), count + " points → -\n");
        const std::string& received = pipe.Received();
        EXPECT_EQ(received.substr(0, c.starts.size()), c.starts) << c.starts;
        EXPECT_GT(received.size(), 1000u);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir)) << "no file named -";
    EXPECT_FALSE(std::filesystem::exists("-"));
}

TEST_F(ScanOutput, FormatWinsOverTheNameAndABadOneIsRefused) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    ASSERT_EQ(Run({"--export", File("scan.csv"), "--format", "xls", "--url", server->Url()}),
              kCliDone)
        << err.str();
    EXPECT_EQ(Head(File("scan.csv"), 4), "\xD0\xCF\x11\xE0");
    ASSERT_EQ(Run({"--export", File("scan.xls"), "--format", "csv", "--url", server->Url()}),
              kCliDone);
    EXPECT_EQ(Head(File("scan.xls"), 5), "\xEF\xBB\xBFID");

    EXPECT_EQ(Run({"--export", File("x"), "--format", "ods", "--lang", "en"}), kCliBadArguments);
    EXPECT_NE(err.str().find("--format must be xls, xlsx, csv, json, tags-csv or telegraf: ods"),
              std::string::npos)
        << err.str();
    EXPECT_FALSE(std::filesystem::exists(File("x")));
}

// Targets that cannot take the points fail with the reason, and are left as they were.
TEST_F(ScanOutput, ATargetThatCannotBeWrittenSaysWhy) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(File("folder"));
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {{"fifo", "No such device or address"}, {"folder", "Is a directory"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Run({"--export", File(c.name), "--url", server->Url(), "--lang", "en"}),
                  kCliExportFailed);
        EXPECT_EQ(err.str(), "export data error! " + File(c.name) + ": " + c.reason + "\n");
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(File("fifo")));
    EXPECT_TRUE(std::filesystem::is_directory(File("folder")));
}

// The line goes away part way through the walk: the file still gets what was found, the user
// is told, and the exit code says it is not the whole server.
TEST_F(ScanOutput, ALostConnectionStillWritesThePartialFileAndExitsSix) {
    DemoServerOptions options;
    options.points = 20000;
    options.pointsPerFolder = 10;
    options.depth = 3;
    options.maxRefs = 3;
    auto server = StartDemoServer(options);
    ASSERT_TRUE(server);
    DelayRelay relay("127.0.0.1", server->Port(), 2ms);
    std::string error;
    ASSERT_TRUE(relay.Start(&error)) << error;

    int code = -1;
    std::thread run([&] {
        code = Run({"--export", File("cut.csv"), "--url", relay.Url(), "--lang", "en"});
    });
    // Connected and well into the walk: some Browse answers have come back.
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(WaitFor([&] { return relay.Connections() >= 1; }, 10s));
    std::this_thread::sleep_for(700ms);
    relay.CutConnections();
    run.join();

    EXPECT_EQ(code, kCliConnectionLost) << err.str();
    std::ifstream in(File("cut.csv"), std::ios::binary);
    std::string line;
    std::size_t rows = 0;
    while (std::getline(in, line)) ++rows;
    ASSERT_GE(rows, 1u) << "at least the header";
    const std::size_t points = rows - 1;
    EXPECT_LT(points, 20000u);
    EXPECT_EQ(err.str(), "connection lost, " + std::to_string(points) + " points found\n");
    EXPECT_EQ(out.str(), std::to_string(points) + " points → " + File("cut.csv") + "\n");
}

}  // namespace

// More points than an .xls sheet holds: the file has the first 65535, and neither the exit code
// nor standard output lets a script take that for the whole server.
TEST_F(ScanOutput, ACutShortExportExitsSixWithItsMessageOnStandardError) {
    DemoServerOptions options;
    options.points = 65600;
    auto server = StartDemoServer(options);
    ASSERT_TRUE(server);
    const std::size_t beyond = server->Points().size() - 65535;
    ASSERT_EQ(Run({"--export", File("big.xls"), "--url", server->Url(), "--lang", "en"}),
              kCliConnectionLost);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "exported the first 65535 points, " + std::to_string(beyond) +
                             " points not exported\n");
    EXPECT_TRUE(std::filesystem::exists(File("big.xls")));
}
