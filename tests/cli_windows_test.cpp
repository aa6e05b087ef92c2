// glyphmeter-cli on Windows: wide file names, the system's error texts, a file another program
// holds, output bytes identical to other systems', and the version record of the executable.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RunProcess.h"
#include "TempDir.h"

namespace glyphmeter::testing {
namespace {

const std::filesystem::path program = GLYPHMETER_CLI_PATH;

// The CSV of "Hello, World" as every system writes it: plain "\n" line ends.
const std::string helloCsv =
    "letter,count,frequency\n"
    "A,0,0.0000\nB,0,0.0000\nC,0,0.0000\nD,1,0.1000\nE,1,0.1000\nF,0,0.0000\nG,0,0.0000\n"
    "H,1,0.1000\nI,0,0.0000\nJ,0,0.0000\nK,0,0.0000\nL,3,0.3000\nM,0,0.0000\nN,0,0.0000\n"
    "O,2,0.2000\nP,0,0.0000\nQ,0,0.0000\nR,1,0.1000\nS,0,0.0000\nT,0,0.0000\nU,0,0.0000\n"
    "V,0,0.0000\nW,1,0.1000\nX,0,0.0000\nY,0,0.0000\nZ,0,0.0000\n";

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string systemText(DWORD error) {
    wchar_t text[512]{};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, error, 0, text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) {
        --length;
    }
    std::string result(4 * length, '\0');
    result.resize(::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(),
                                        static_cast<int>(result.size()), nullptr, nullptr));
    return result;
}

ProcessResult cli(std::vector<std::string> arguments, ProcessRun run = {}) {
    run.arguments = std::move(arguments);
    run.environment.push_back({"GLYPHMETER_LETTER_LIMIT", ""});
    return runProcess(program, run);
}

TEST(CommandLineToolOnWindows, non_ascii_file_name_is_counted_and_named) {
    TempDir dir;
    const auto file = dir.write(u8"Ünïcödé ✓.txt", "Hello,\r\nWorld\r\n");
    const ProcessResult csv = cli({"--csv", utf8(file)});
    EXPECT_EQ(csv.exitStatus, 0) << csv.standardError;
    EXPECT_EQ(csv.standardOutput, helloCsv);
    EXPECT_EQ(csv.standardError, "");

    std::string escaped;  // JSON doubles the backslashes of a Windows path
    for (const char c : utf8(file)) {
        escaped += c == '\\' ? "\\\\" : std::string(1, c);
    }
    const ProcessResult json = cli({"--json", utf8(file)});
    EXPECT_NE(json.standardOutput.find("\"file\": \"" + escaped + "\","), std::string::npos)
        << json.standardOutput;
    EXPECT_EQ(json.standardOutput.find('\r'), std::string::npos);

    const std::string missing = utf8(dir.path() / u8"Ünïcödé ✗.txt");
    const ProcessResult error = cli({"--csv", missing});
    EXPECT_EQ(error.exitStatus, 1);
    EXPECT_EQ(error.standardError,
              "glyphmeter-cli: " + missing + ": " + systemText(ERROR_FILE_NOT_FOUND) + "\n");
}

TEST(CommandLineToolOnWindows, unreadable_files_exit_1_with_the_system_reason) {
    TempDir dir;
    const auto locked = dir.write("locked.txt", "abc");
    const HANDLE holder =
        ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {utf8(dir.path() / "missing.txt"), systemText(ERROR_FILE_NOT_FOUND)},
        {utf8(dir.path()), "Is a folder, not a file."},
        {utf8(locked), systemText(ERROR_SHARING_VIOLATION)},
    };
    for (const auto& c : cases) {
        const ProcessResult result = cli({"--csv", c.path});
        EXPECT_EQ(result.exitStatus, 1) << c.path;
        EXPECT_EQ(result.standardError, "glyphmeter-cli: " + c.path + ": " + c.reason + "\n");
        EXPECT_EQ(result.standardOutput, "");
    }
    ::CloseHandle(holder);
    EXPECT_EQ(cli({"--csv", utf8(locked)}).exitStatus, 0);
}

TEST(CommandLineToolOnWindows, standard_input_and_output_carry_bytes_unchanged) {
    ProcessRun run;
    // Ctrl+Z ends text in the C runtime's text mode; the tool reads on past it.
    run.standardInput = std::string("Hello,\r\n\x1a") + "World\r\n";
    const ProcessResult result = cli({"--csv", "-"}, run);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, helloCsv);

    const ProcessResult help = cli({"--help"});
    EXPECT_EQ(help.standardOutput.find('\r'), std::string::npos);
}

std::wstring versionText(const std::vector<std::byte>& record, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(record.data(), key.c_str(), &value, &length) || length == 0) {
        return L"(none)";
    }
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(CommandLineToolOnWindows, executable_carries_the_version_record) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version record in " << program;
    std::vector<std::byte> record(size);
    ASSERT_TRUE(::GetFileVersionInfoW(program.c_str(), 0, size, record.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(5, 1));  // 1.5
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(5, 1));

    EXPECT_EQ(versionText(record, L"FileVersion"), L"1.05");
    EXPECT_EQ(versionText(record, L"ProductVersion"), L"1.05");
    EXPECT_EQ(versionText(record, L"ProductName"), L"Glyphmeter");
    EXPECT_EQ(versionText(record, L"FileDescription"), L"Glyphmeter command-line tool");
    EXPECT_EQ(versionText(record, L"OriginalFilename"), L"glyphmeter-cli.exe");
}

}  // namespace
}  // namespace glyphmeter::testing
