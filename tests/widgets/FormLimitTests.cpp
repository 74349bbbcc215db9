// Forms made to freeze the game or fill its memory, as a tester made them from altered copies of
// the assets. Each runs in a child process of its own (its own peak memory; killed at the hang
// ceiling if it blocks) and must end in its one-line message naming the limit, small.

#include "tests/support/ChildProcess.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vgui;
namespace fs = std::filesystem;

namespace
{

class FormLimits : public ::testing::Test
{
protected:
    fs::path folder =
        fs::temp_directory_path() /
        ("vgui_limits_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));

    void SetUp() override
    {
        fs::remove_all(folder);
        fs::create_directories(folder / "run");
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }
    std::string Sparse(const std::string& name, std::uintmax_t bytes) const
    {
        fs::resize_file(Write(name, "x"), bytes);
        return (folder / name).string();
    }
    std::string Fifo(const std::string& name) const
    {
        EXPECT_EQ(mkfifo((folder / name).c_str(), 0600), 0);
        return (folder / name).string();
    }
};

} // namespace

TEST_F(FormLimits, HostileFormsEndInOneMessageAndStaySmall)
{
    // A FIFO someone keeps open for writing: an open() that waited would return, then the reads
    // would wait for an end that never comes. Opened read-write here so that we do not block.
    const std::string endless = Fifo("endless.txt");
    const int writer = open(endless.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_EQ(write(writer, "Label.A { ", 10), 10);
    fs::create_symlink("/dev/zero", folder / "zero.txt");
    const std::string zero = (folder / "zero.txt").string();
    // A header claiming 16384 x 16384 (1 GB decoded) with a 1 MB body.
    const std::string png =
        Write("huge.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x40\0\0\0\x40\0", 24) +
                              std::string(1 << 20, '\0'));
    const std::string pipe = Fifo("pipe.png");
    const std::string big = Sparse("big.png", std::uintmax_t{1} << 30);
    std::string labels;
    for (const char* size : {"998", "999", "1000"})
        labels += "Label.Title { Text = \"" + std::string(4000, 'W') + "\"; TextSize = " + size + "; }\n";
    std::string many;
    for (int i = 0; i < 2500; ++i)
        many += "Label.L" + std::to_string(i) + " { }\n";
    auto form = [&](const std::string& name, const std::string& text)
    {
        return Write(name, text);
    };
    auto failedToOpen = [](const std::string& path, const std::string& why)
    {
        return "Failed to open '" + path + "' to load the widgets from it: " + why;
    };
    const std::string regular = "it is not a regular file.";

    const std::pair<std::string, std::string> cases[] = {
        {zero, failedToOpen(zero, regular)},
        {endless, failedToOpen(endless, regular)},
        {Fifo("quiet.txt"), failedToOpen((folder / "quiet.txt").string(), regular)},
        {Sparse("6gb.txt", std::uintmax_t{6} << 30),
         failedToOpen((folder / "6gb.txt").string(), "the file is larger than 1 MiB.")},
        {form("labels.txt", labels), "Error while loading 'Label.Title' at line 1: The number '998' of "
                                     "'TextSize' is too large (at most 200)."},
        {form("many.txt", many),
         "Error while loading 'Label.L2000' at line 2001: The form holds more than 2000 widgets."},
        {form("a.txt", "Picture.P { Renderer { Texture = \"pipe.png\"; } }"),
         "Error while loading 'Picture.P' at line 1: Failed to load the image '" + pipe + "': " + regular},
        {form("b.txt", "Picture.P {\n Renderer {\n Texture = \"big.png\"; } }"),
         "Error while loading 'Picture.P' at line 3: Failed to load the image '" + big +
             "': the file is larger than 16 MiB."},
        {form("c.txt", "BitmapButton.B { Image = \"huge.png\"; }"),
         "Error while loading 'BitmapButton.B' at line 1: The image '" + png +
             "' is 16384 x 16384 pixels; an image may be at most 4096 x 4096."},
        {form("e.txt", "BitmapButton.B { Image = \"a.txt\"; }"),
         "Error while loading 'BitmapButton.B' at line 1: "
         "Failed to load the image '" +
             (folder / "a.txt").string() + "': it is not a PNG, JPEG or BMP image."},
    };
    for (const auto& [path, message] : cases)
    {
        SCOPED_TRACE(path);
        EXPECT_EQ(testing_support::EndsSmall(
                      [&]
                      {
                          Gui gui;
                          gui.setFont(nullptr);
                          try
                          {
                              gui.loadWidgetsFromFile(path);
                          }
                          catch (const Exception& error)
                          {
                              return std::string(error.what());
                          }
                          return std::string("loaded");
                      }),
                  message);
    }
    close(writer);
}
