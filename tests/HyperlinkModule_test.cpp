// The shell binding's fixed request and its replaceable shell (no Qt, no browser started).
#include <gtest/gtest.h>

#include <vector>

#include "HyperlinkModule.h"

namespace HyperlinkModule = glyphmeter::ui::HyperlinkModule;

TEST(HyperlinkModule, open_address_makes_one_request_with_the_fixed_arguments) {
    std::vector<HyperlinkModule::ShellRequest> requests;
    const HyperlinkModule::Shell previous = HyperlinkModule::replaceShell(
        [&](const HyperlinkModule::ShellRequest& request) { requests.push_back(request); });

    HyperlinkModule::openAddress(0x1234, "http://www.example.org/");

    HyperlinkModule::replaceShell(previous);
    ASSERT_EQ(requests.size(), 1u);
    const HyperlinkModule::ShellRequest expected{0x1234, "open", "http://www.example.org/",
                                                 "1",    "1",    1};
    EXPECT_EQ(requests.front(), expected);
}

TEST(HyperlinkModule, the_system_shell_serves_until_replaced_and_an_empty_shell_restores_it) {
    using Function = void (*)(const HyperlinkModule::ShellRequest&);
    const HyperlinkModule::Shell original =
        HyperlinkModule::replaceShell([](const HyperlinkModule::ShellRequest&) {});
    ASSERT_NE(original.target<Function>(), nullptr);
    EXPECT_EQ(*original.target<Function>(), &HyperlinkModule::systemShell);

    HyperlinkModule::replaceShell({});
    const HyperlinkModule::Shell restored = HyperlinkModule::replaceShell(original);
    ASSERT_NE(restored.target<Function>(), nullptr);
    EXPECT_EQ(*restored.target<Function>(), &HyperlinkModule::systemShell);
}
