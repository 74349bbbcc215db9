// Forms made to freeze the game or exhaust its memory, the way a tester made them from altered
// copies of the assets. Each one must end in the layer's exception with a one-line message that
// names the limit, within seconds and without the memory it asks for. Every case runs in a child
// process of its own, so its time and peak memory are its own and a case that blocks is killed.

#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vgui;
namespace fs = std::filesystem;

namespace
{

struct ChildRun
{
    bool finished = false; // returned within the time given (else it was killed)
    std::string output;    // what the work returned
    double seconds = 0;
    long peakMiB = 0; // the child's own peak resident memory
};

// Forks and runs `work` in the child; its result, time and peak memory (from wait4, so only this
// child counts) come back. A child still running after `timeout` is killed.
ChildRun RunInChild(const std::function<std::string()>& work, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    ChildRun run;
    int ends[2];
    if (pipe(ends) != 0)
        return run;
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0)
    {
        close(ends[0]);
        close(ends[1]);
        return run;
    }
    if (child == 0)
    {
        close(ends[0]);
        const std::string output = work();
        for (std::size_t done = 0; done < output.size();)
        {
            const ssize_t n = write(ends[1], output.data() + done, output.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        _exit(0); // no destructors or test framework teardown in the child
    }
    close(ends[1]);
    bool ended = false;
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(start + timeout - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd wait{ends[0], POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[4096];
        const ssize_t n = read(ends[0], buffer, sizeof buffer);
        if (n <= 0)
        {
            ended = true;
            break;
        }
        run.output.append(buffer, static_cast<std::size_t>(n));
    }
    close(ends[0]);
    if (!ended)
        kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR)
    {
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.finished = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.peakMiB = usage.ru_maxrss / 1024; // kilobytes on Linux
    return run;
}

std::string Big32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 255), static_cast<char>(v >> 8 & 255),
            static_cast<char>(v & 255)};
}

class FormLimits : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 (std::string("vgui_limits_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }
    // A file that claims `bytes` without holding them on disk: an endless device as a reader sees it.
    std::string Sparse(const std::string& name, std::uintmax_t bytes) const
    {
        std::ofstream(folder / name, std::ios::binary) << "x";
        fs::resize_file(folder / name, bytes);
        return (folder / name).string();
    }
    std::string Fifo(const std::string& name) const
    {
        EXPECT_EQ(mkfifo((folder / name).c_str(), 0600), 0);
        return (folder / name).string();
    }
    std::string Form(const std::string& name, const std::string& text) const { return Write(name, text); }

    fs::path folder;
};

} // namespace

TEST_F(FormLimits, HostileFormsEndInOneMessageQuicklyAndSmall)
{
    // A FIFO that someone keeps open for writing: an open() that waited would return, and a
    // reader would then wait for data without end. Opened read-write so that we do not block.
    const std::string endless = Fifo("endless.txt");
    const int writer = open(endless.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string filler(4096, ' ');
    ASSERT_EQ(write(writer, filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
    fs::create_symlink("/dev/zero", folder / "zero.txt");
    const std::string zero = (folder / "zero.txt").string();

    // A PNG whose header claims 16384 x 16384 (1 GB decoded), with a 1 MB body behind it.
    const std::string hugePng = Write("huge.png", "\x89PNG\r\n\x1A\n" + Big32(13) + "IHDR" + Big32(16384) +
                                                      Big32(16384) + std::string("\x08\x06\0\0\0", 5) +
                                                      std::string(1 << 20, '\0'));
    // A JPEG whose frame header, after an EXIF block, claims 20000 x 10000.
    const std::string hugeJpeg =
        Write("huge.jpg", std::string("\xFF\xD8\xFF\xE1\xFF\xFF", 6) + std::string(65533, 'x') +
                              std::string("\xFF\xC0\x00\x11\x08\x27\x10\x4E\x20\x03", 10) + std::string(64, '\0'));
    const std::string pipeImage = Fifo("pipe.png");
    const std::string bigImage = Sparse("big.png", std::uintmax_t{1} << 30);
    const std::string notImage = Write("notes.png", "these are notes, not pixels");

    std::string labels = "// the title screen, made large\n";
    for (const char* size : {"998", "999", "1000"})
        labels += "Label.Title" + std::string(size) + " { Text = \"" + std::string(4000, 'W') +
                  "\"; TextSize = " + size + "; }\n";
    std::string many;
    for (int i = 0; i < 2500; ++i)
        many += "Label.L" + std::to_string(i) + " { }\n";

    const std::string failedToOpen = "' to load the widgets from it";
    struct Case
    {
        const char* name;
        std::string form;
        std::string message;
    };
    const Case cases[] = {
        {"form linked to /dev/zero", zero, "Failed to open '" + zero + failedToOpen + ": it is not a regular file."},
        {"form is a FIFO with a writer", endless,
         "Failed to open '" + endless + failedToOpen + ": it is not a regular file."},
        {"form is a FIFO nobody writes to", Fifo("quiet.txt"),
         "Failed to open '" + (folder / "quiet.txt").string() + failedToOpen + ": it is not a regular file."},
        {"form of 6 GB", Sparse("big.txt", std::uintmax_t{6} << 30),
         "Failed to open '" + (folder / "big.txt").string() + failedToOpen + ": the file is larger than 1 MiB."},
        {"12 KB form with three labels at TextSize 998 to 1000", Form("labels.txt", labels),
         "Error while loading 'Label.Title998' at line 2: The number '998' of 'TextSize' is too large (at most 200)."},
        {"2,500 widgets", Form("many.txt", many),
         "Error while loading 'Label.L2000' at line 2001: The form holds more than 2000 widgets."},
        {"image is a FIFO", Form("pipe.txt", "Picture.Backdrop { Renderer { Texture = \"pipe.png\"; } }"),
         "Error while loading 'Picture.Backdrop' at line 1: Failed to load the image '" + pipeImage +
             "': it is not a regular file."},
        {"image of 1 GB", Form("big_image.txt", "Picture.Backdrop {\n Renderer {\n Texture = \"big.png\"; } }"),
         "Error while loading 'Picture.Backdrop' at line 3: Failed to load the image '" + bigImage +
             "': the file is larger than 16 MiB."},
        {"PNG header claiming 16384 x 16384", Form("huge_png.txt", "BitmapButton.Tower { Image = \"huge.png\"; }"),
         "Error while loading 'BitmapButton.Tower' at line 1: The image '" + hugePng +
             "' is 16384 x 16384 pixels; an image may be at most 4096 x 4096."},
        {"JPEG header claiming 20000 x 10000", Form("huge_jpg.txt", "BitmapButton.Tower { Image = \"huge.jpg\"; }"),
         "Error while loading 'BitmapButton.Tower' at line 1: The image '" + hugeJpeg +
             "' is 20000 x 10000 pixels; an image may be at most 4096 x 4096."},
        {"image that is no image", Form("notes.txt", "Picture.P { Renderer { Texture = \"notes.png\"; } }"),
         "Error while loading 'Picture.P' at line 1: Failed to load the image '" + notImage +
             "': it is not a PNG, JPEG or BMP image."},
    };

    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const ChildRun run = RunInChild(
            [&] {
                Gui gui;
                gui.setFont(nullptr);
                try
                {
                    gui.loadWidgetsFromFile(c.form);
                }
                catch (const Exception& error)
                {
                    return std::string(error.what());
                }
                return std::string("loaded");
            },
            std::chrono::seconds(20));
        if (!run.finished)
        {
            ADD_FAILURE() << "blocked or died after " << run.seconds << " s";
            continue;
        }
        EXPECT_EQ(run.output, c.message);
        EXPECT_LT(run.seconds, 5.0);
        EXPECT_LT(run.peakMiB, 300);
    }
    close(writer);
}

// The Gui reads "../assets/arial.ttf" by itself when no font was set; that file gets the same
// checks. Each case clicks a text area (which needs the font) from a scratch run/ folder.
TEST_F(FormLimits, TheDefaultFontIsReadOnlyFromARegularFile)
{
    fs::create_directories(folder / "run");
    fs::create_directories(folder / "assets");
    const fs::path font = folder / "assets" / "arial.ttf";
    const std::string cannot = "vgui: could not load the font \"../assets/arial.ttf\" ";
    struct Case
    {
        const char* name;
        std::function<void()> make;
        std::string error;
    };
    const Case cases[] = {
        {"the game's font", [&] { fs::copy_file(std::string(VARNHOLD_SOURCE_DIR) + "/assets/arial.ttf", font); }, ""},
        {"a FIFO nobody writes to", [&] { mkfifo(font.c_str(), 0600); },
         cannot + "(it is not a regular file); text is not drawn\n"},
        {"a link to /dev/zero", [&] { fs::create_symlink("/dev/zero", font); },
         cannot + "(it is not a regular file); text is not drawn\n"},
        {"a file of 1 GB",
         [&] {
             std::ofstream(font, std::ios::binary) << "x";
             fs::resize_file(font, std::uintmax_t{1} << 30);
         },
         cannot + "(the file is larger than 32 MiB); text is not drawn\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        fs::remove(font);
        c.make();
        const ChildRun run = RunInChild(
            [&] {
                std::ostringstream errors;
                sf::err().rdbuf(errors.rdbuf());
                if (chdir((folder / "run").c_str()) != 0)
                    return std::string("no run folder");
                Gui gui;
                auto area = TextArea::create();
                area->setSize(200.f, 50.f);
                gui.add(area);
                sf::Event press{};
                press.type = sf::Event::MouseButtonPressed;
                press.mouseButton = {sf::Mouse::Left, 10, 10};
                gui.handleEvent(press);
                return errors.str();
            },
            std::chrono::seconds(20));
        if (!run.finished)
        {
            ADD_FAILURE() << "blocked or died after " << run.seconds << " s";
            continue;
        }
        EXPECT_EQ(run.output, c.error);
        EXPECT_LT(run.seconds, 5.0);
        EXPECT_LT(run.peakMiB, 300);
    }
}
