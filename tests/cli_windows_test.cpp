// glyphmeter-cli on Windows: wide file names, the system's error texts, a file another program
// holds, output bytes identical to other systems', the version record of the executable, and the
// manifests of both programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "TempDir.h"
#include "WindowsSystemText.h"

namespace glyphmeter::testing {
namespace {

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
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

// The letters come from the wide command line, so none is lost to the ANSI code page, and are
// written as UTF-8, as on other systems.
TEST(CommandLineToolOnWindows, letters_given_as_wide_arguments_are_counted_and_shown) {
    TempDir dir;
    const auto file = dir.write("greek.txt", "αβγ ΑΩ 日");
    const ProcessResult csv = cli({"--csv", "--letters=αω日é", utf8(file)});
    EXPECT_EQ(csv.exitStatus, 0) << csv.standardError;
    EXPECT_EQ(csv.standardOutput,
              "letter,count,frequency\nα,2,0.5000\nω,1,0.2500\n日,1,0.2500\n"
              "é,0,0.0000\n");
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
    const DWORD size = ::GetFileVersionInfoSizeW(cliProgram.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version record in " << cliProgram;
    std::vector<std::byte> record(size);
    ASSERT_TRUE(::GetFileVersionInfoW(cliProgram.c_str(), 0, size, record.data()));

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

// The application manifest embedded in `program` (resource 1 of type 24, RT_MANIFEST), as text.
std::string embeddedManifest(const std::filesystem::path& program) {
    const HMODULE module = ::LoadLibraryExW(
        program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        return {};
    }
    std::string text;
    if (const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const HGLOBAL loaded = ::LoadResource(module, resource);
        text.assign(static_cast<const char*>(::LockResource(loaded)),
                    ::SizeofResource(module, resource));
    }
    ::FreeLibrary(module);
    return text;
}

// Both programs may open paths longer than MAX_PATH where Windows allows them.
TEST(ProgramsOnWindows, manifests_declare_long_path_awareness_and_no_elevation) {
    std::vector<std::filesystem::path> programs{cliProgram};
#ifdef GLYPHMETER_PROGRAM_PATH
    programs.emplace_back(GLYPHMETER_PROGRAM_PATH);
#endif
    for (const auto& program : programs) {
        const std::string manifest = embeddedManifest(program);
        EXPECT_NE(manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                                "WindowsSettings\">true</longPathAware>"),
                  std::string::npos)
            << program << ":\n"
            << manifest;
        EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
            << program;
    }
}

}  // namespace
}  // namespace glyphmeter::testing
