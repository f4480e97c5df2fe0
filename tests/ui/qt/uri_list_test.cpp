#include "ui/qt/uri_list.h"

#include <gtest/gtest.h>

namespace varlo {
namespace {

using Paths = std::vector<std::string>;

TEST(LocalPathsFromUriList, TakesLocalFilesByteForByte) {
    const struct {
        std::string list;
        Paths expected;
    } cases[] = {
        {"file:///a/b.wav\r\n", {"/a/b.wav"}},
        {"file:///a/b.wav", {"/a/b.wav"}},
        {"file:///x%20y/%E6%97%A5.wav\r\nfile:///z.wav\r\n", {"/x y/日.wav", "/z.wav"}},
        {"file:///bad%ff%FE%00.wav", {std::string("/bad\xff\xfe\0.wav", 11)}},
        {"file:///pct%zz%2", {"/pct%zz%2"}},
        {"file:///q%3F%23.wav", {"/q?#.wav"}},
        {"FILE:///up.wav", {"/up.wav"}},
        {"file:/short.wav", {"/short.wav"}},
        {"file://localhost/l.wav\nfile://LOCALHOST/L.wav", {"/l.wav", "/L.wav"}},
        {"file://myhost/h.wav", {"/h.wav"}},
        {"# comment\r\n\r\nfile:///c.wav", {"/c.wav"}},
        {"file://otherhost/x.wav\nhttp://a/b.wav\nsmb://s/x.wav\nfile:rel.wav\nfile://h", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, LocalPathsFromUriList(c.list, "myhost")) << c.list;
    }
}

}  // namespace
}  // namespace varlo
