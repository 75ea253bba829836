#include <filesystem>
#include <gtest/gtest.h>

#include <spanlet/model/XdgFolders.hpp>

namespace spanlet {
namespace {

using XdgFolders::Base;

TEST(XdgFoldersTest, AnAbsoluteValueWinsElseTheDefaultUnderHome) {
    struct Row {
        Base base;
        const char* value;
        const char* home;
        const char* expected;
    };
    const Row rows[] = {
        {Base::config, "/x/cfg", "/home/u", "/x/cfg"},
        {Base::config, nullptr, "/home/u", "/home/u/.config"},
        {Base::config, "", "/home/u", "/home/u/.config"},
        {Base::config, "cfg", "/home/u", "/home/u/.config"}, // relative values are ignored
        {Base::data, "/x/data", "/home/u", "/x/data"},
        {Base::data, "data", "/home/u", "/home/u/.local/share"},
        {Base::data, "data", "", ""},
        {Base::state, nullptr, "/home/u", "/home/u/.local/state"},
        {Base::config, "/x/cfg", "", "/x/cfg"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(XdgFolders::folder(row.base, row.value, row.home),
                  std::filesystem::path(row.expected))
            << (row.value != nullptr ? row.value : "(unset)") << " with home " << row.home;
    }
}

} // namespace
} // namespace spanlet
