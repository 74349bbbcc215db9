// Saving the highscore record where things go wrong: planted links, two games at once, a full
// disk, read-only files and folders, linked records, and temporary files of killed games.
// No window is opened, so the tests may fork.

#include "tests/support/ChildProcess.hpp"
#include "ui/HighscoreFile.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <signal.h>
#include <sstream>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

std::string Read(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return file ? text.str() : "<missing>";
}

void Write(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::set<std::string> Listing(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Runs body in a child process and returns its exit status (0 when body returned true).
template <typename Body>
int InChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body() ? 0 : 1);
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class HighscoreSaveTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "varnhold-save-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directory(root / "assets");
    }
    void TearDown() override
    {
        fs::permissions(root / "assets", fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }

    fs::path Folder() const { return root / "assets"; }
    std::string Record() const { return (Folder() / "highscore.json").string(); }

    fs::path root;
    const std::string old = HighscoreFileText("Old", 10, 2);
    const std::string fresh = HighscoreFileText("New", 20, 3);
};

TEST_F(HighscoreSaveTest, AReplacedRecordKeepsItsPermissionBitsAndNoTemporaryFileStays)
{
    Write(Record(), old);
    fs::permissions(Record(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const HighscoreSave save = WriteHighscore(Record(), "New", 20, 3);
    EXPECT_TRUE(save.saved) << save.error;
    EXPECT_EQ(Read(Record()), fresh);
    EXPECT_EQ(fs::status(Record()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Listing(Folder()), std::set<std::string>{"highscore.json"});
}

// A link planted in the record's place (a copied assets folder, a level pack) must not let the
// game write outside its own files: the link itself is replaced, whatever it points at.
TEST_F(HighscoreSaveTest, LinksAndOtherNamesInTheRecordsPlaceAreReplacedNeverWrittenThrough)
{
    fs::create_directory(root / "elsewhere");
    const fs::path victim = root / "elsewhere" / "victim.txt";
    const fs::path decoy = root / "elsewhere" / "passwd";
    const auto plant = [&](const fs::path& target)
    {
        fs::remove(Record());
        fs::create_symlink(target, Record());
    };
    for (const fs::path& target : {victim, decoy, root / "elsewhere" / "not-yet.json"})
    {
        SCOPED_TRACE(target.filename().string());
        Write(victim, "victim");
        Write(decoy, "root:x:0:0");
        plant(target);
        const HighscoreSave save = WriteHighscore(Record(), "New", 20, 3);
        EXPECT_TRUE(save.saved) << save.error;
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(Record())));
        EXPECT_EQ(Read(Record()), fresh);
        EXPECT_EQ(Read(victim), "victim");
        EXPECT_EQ(Read(decoy), "root:x:0:0");
        EXPECT_EQ(Listing(root / "elsewhere"), (std::set<std::string>{"passwd", "victim.txt"}));
    }

    // A hard link: the record becomes a file of its own; the other name keeps its bytes.
    fs::remove(Record());
    fs::create_hard_link(victim, Record());
    EXPECT_TRUE(WriteHighscore(Record(), "New", 20, 3).saved);
    EXPECT_EQ(fs::hard_link_count(Record()), 1u);
    EXPECT_EQ(Read(Record()), fresh);
    EXPECT_EQ(Read(victim), "victim");

    // Neither a link nor another name is rewritten in place when the folder takes no new file.
    fs::remove(Record());
    fs::create_hard_link(victim, Record());
    EXPECT_EQ(RewriteInPlace(Record(), fresh).error,
              "highscore.json has other names that a rewrite in place would change too");
    plant(victim);
    EXPECT_FALSE(RewriteInPlace(Record(), fresh).saved);
    EXPECT_EQ(Read(victim), "victim");
    // The same through a whole save, by a player who may not write the folder (root may write
    // anything, so a child gives its rights up first).
    for (const bool hardLink : {true, false})
    {
        SCOPED_TRACE(hardLink ? "hard link" : "symbolic link");
        fs::remove(Record());
        hardLink ? fs::create_hard_link(victim, Record()) : fs::create_symlink(victim, Record());
        const int status = InChild(
            [&]
            {
                if (::geteuid() == 0)
                {
                    // nobody may reach the folder and write the linked file, but not the folder.
                    const uid_t nobody = 65534;
                    fs::permissions(root, fs::perms::owner_all | fs::perms::others_exec);
                    fs::permissions(Folder(),
                                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
                    if (::chown(victim.c_str(), nobody, nobody) != 0 || ::setgid(nobody) != 0 ||
                        ::setuid(nobody) != 0)
                        return false;
                }
                else
                {
                    fs::permissions(Folder(), fs::perms::owner_write, fs::perm_options::remove);
                }
                const HighscoreSave refused = WriteHighscore(Record(), "New", 20, 3);
                return !refused.saved &&
                       refused.error.rfind("the folder of highscore.json is read-only", 0) == 0;
            });
        fs::permissions(Folder(), fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(status, 0) << "the save must fail, saying the folder is read-only";
        EXPECT_EQ(Read(victim), "victim");
    }
}

TEST_F(HighscoreSaveTest, LinksPlantedAtEveryTemporaryNameAreNeverFollowed)
{
    Write(Record(), old);
    fs::create_directory(root / "elsewhere");
    Write(root / "elsewhere" / "victim", "victim");
    std::uint32_t next = 0;
    const TemporaryNameSource counting = [&next]
    {
        return next++;
    };
    const auto plant = [&](int first, int last)
    {
        for (int n = first; n <= last; ++n)
        {
            // Half point at a file to overwrite, half at one a write would create.
            const fs::path target = root / "elsewhere" / (n % 2 ? "victim" : "created" + std::to_string(n));
            fs::create_symlink(target, TemporaryName(Record(), ::getpid(), static_cast<std::uint32_t>(n)));
        }
    };

    // All but the last name taken: the save goes on to the free one.
    plant(0, temporaryNameTries - 2);
    HighscoreSave save = WriteHighscore(Record(), "New", 20, 3, counting);
    EXPECT_TRUE(save.saved) << save.error;
    EXPECT_EQ(Read(Record()), fresh);

    // Every name taken: the save fails cleanly.
    plant(temporaryNameTries - 1, temporaryNameTries - 1);
    Write(Record(), old);
    next = 0;
    save = WriteHighscore(Record(), "New", 20, 3, counting);
    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.error, "no free temporary name beside highscore.json");
    EXPECT_EQ(Read(Record()), old);

    EXPECT_EQ(Listing(root / "elsewhere"), std::set<std::string>{"victim"});
    EXPECT_EQ(Read(root / "elsewhere" / "victim"), "victim");
    EXPECT_EQ(Listing(Folder()).size(), static_cast<std::size_t>(temporaryNameTries) + 1);
    for (const auto& entry : fs::directory_iterator(Folder()))
        EXPECT_TRUE(entry.path() == Record() || fs::is_symlink(entry.symlink_status())) << entry.path();
}

// Two processes save 300 times each at the same moment, replacing the file or (inPlace)
// rewriting it; after every save the file must be one of the two records whole, never a mix, and
// no save may fail.
void SaveTogether(const std::string& record, bool inPlace)
{
    const std::string names[] = {"A", "Bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"};
    const std::string records[] = {HighscoreFileText(names[0], 1, 1), HighscoreFileText(names[1], 22222, 22)};
    Write(record, records[0]);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t children[2];
    for (int k = 0; k < 2; ++k)
    {
        children[k] = ::fork();
        if (children[k] != 0)
            continue;
        ::close(gate[1]);
        char go;
        (void)!::read(gate[0], &go, 1); // both start when the parent closes the pipe
        for (int round = 0; round < 300; ++round)
        {
            const HighscoreSave save = inPlace ? RewriteInPlace(record, records[k])
                                               : WriteHighscore(record, names[k], k ? 22222 : 1, k ? 22 : 1);
            if (!save.saved)
                ::_exit(2);
            // Read as the game reads, under the shared lock that in-place writers respect.
            const StoredHighscore seen = ReadHighscore(record);
            if (!seen.valid || (seen.name != names[0] && seen.name != names[1]) ||
                seen.score != (seen.name == names[0] ? 1 : 22222))
                ::_exit(3);
        }
        ::_exit(0);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t child : children)
    {
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "status " << status << " (exit 2: a save failed, 3: a mixed record)";
    }
    const std::string last = Read(record);
    EXPECT_TRUE(last == records[0] || last == records[1]) << last;
}

TEST_F(HighscoreSaveTest, TwoGamesSavingAtOnceLeaveOneWholeRecord)
{
    SaveTogether(Record(), false);
    EXPECT_EQ(Listing(Folder()), std::set<std::string>{"highscore.json"});
    // The fallback for a folder that takes no new file, in turns under its lock.
    SaveTogether(Record(), true);

    // While another holds the lock, an in-place rewrite waits for it.
    Write(Record(), old);
    const int held = ::open(Record().c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const pid_t writer = ::fork();
    if (writer == 0)
    {
        ::close(held); // the lock belongs to the open file, which the child would share
        ::_exit(RewriteInPlace(Record(), fresh).saved ? 0 : 1);
    }
    ::usleep(300 * 1000);
    EXPECT_EQ(Read(Record()), old) << "written under another's lock";
    ::close(held);
    int status = -1;
    ::waitpid(writer, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(Record()), fresh);
}

TEST_F(HighscoreSaveTest, AFullDiskLeavesTheOldRecordWhole)
{
    Write(Record(), old);
    const std::string longer = HighscoreFileText("A much longer name than before", 123456, 12);
    // A file size limit below the record's size makes every write past it fail as a full disk would.
    const int status = InChild(
        [&]
        {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {16, 16};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const HighscoreSave replaced = WriteHighscore(Record(), "New", 20, 3);
            const HighscoreSave rewritten = RewriteInPlace(Record(), longer);
            return !replaced.saved && replaced.error == "file too large" && !rewritten.saved &&
                   rewritten.error == "file too large";
        });
    EXPECT_EQ(status, 0) << "both saves must fail with \"file too large\"";
    EXPECT_EQ(Read(Record()), old);
    EXPECT_EQ(Listing(Folder()), std::set<std::string>{"highscore.json"});
}

TEST_F(HighscoreSaveTest, ReadOnlyFoldersAndRecords)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root: permission bits do not stop root's writes";
    const auto readOnly = [](const fs::path& path)
    {
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    };
    const auto writable = [](const fs::path& path)
    {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    };

    // The folder takes no new file: a writable record is rewritten where it is.
    Write(Record(), old);
    readOnly(Folder());
    HighscoreSave save = WriteHighscore(Record(), "New", 20, 3);
    EXPECT_TRUE(save.saved) << save.error;
    EXPECT_EQ(Read(Record()), fresh);

    // Neither the folder nor the record is writable.
    writable(Folder());
    Write(Record(), old);
    readOnly(Record());
    readOnly(Folder());
    save = WriteHighscore(Record(), "New", 20, 3);
    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.error, "highscore.json is read-only");

    // A read-only record in a writable folder is left alone too, not replaced.
    writable(Folder());
    save = WriteHighscore(Record(), "New", 20, 3);
    EXPECT_EQ(save.error, "highscore.json is read-only");
    EXPECT_EQ(Read(Record()), old);
    EXPECT_EQ(fs::status(Record()).permissions() & fs::perms::owner_write, fs::perms::none);

    // No record and a read-only folder: nothing can be saved.
    fs::remove(Record());
    readOnly(Folder());
    save = WriteHighscore(Record(), "New", 20, 3);
    EXPECT_EQ(save.error, "the folder of highscore.json is read-only");
    EXPECT_EQ(Listing(Folder()), std::set<std::string>{});
}

TEST_F(HighscoreSaveTest, TemporaryFilesOfKilledGamesAreRemovedAndOthersKept)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const auto name = [this](pid_t pid, std::uint32_t n)
    {
        return fs::path(TemporaryName(Record(), pid, n)).filename().string();
    };

    Write(Folder() / name(gone, 1), "{ \n\"na");
    Write(Folder() / name(::getpid(), 3), "two hours old");
    fs::last_write_time(Folder() / name(::getpid(), 3),
                        fs::file_time_type::clock::now() - std::chrono::hours(2));
    // A game saving right now, and names that are not ours.
    const std::set<std::string> others = {name(::getpid(), 2), "highscore.json", "highscore.json.tmp",
                                          ".highscore.json." + std::to_string(gone) + ".xyz.tmp",
                                          ".other.json." + std::to_string(gone) + ".00000001.tmp"};
    for (const auto& file : others)
        Write(Folder() / file, "keep");
    // Our pattern, but a link: no save of ours leaves one.
    fs::create_symlink("highscore.json", Folder() / name(gone, 4));
    std::set<std::string> kept = others;
    kept.insert(name(gone, 4));

    RemoveStaleTemporaries(Record());
    EXPECT_EQ(Listing(Folder()), kept);
}

TEST_F(HighscoreSaveTest, OnlyARegularFileIsTheRecordAndNoneKeepsTheGameWaiting)
{
    // A FIFO with a writer that never writes, a device that never ends, a folder: none is a record,
    // and none keeps the game waiting.
    ASSERT_EQ(::mkfifo((Folder() / "fifo.json").c_str(), 0600), 0);
    const int writer = ::open((Folder() / "fifo.json").c_str(), O_RDWR | O_NONBLOCK);
    fs::create_symlink("/dev/zero", Folder() / "zero.json");
    fs::create_directory(Folder() / "folder.json");
    for (const char* name : {"fifo.json", "zero.json", "folder.json"})
    {
        SCOPED_TRACE(name);
        // In a child: a read that waits for the FIFO's writer or reads /dev/zero to its end would
        // never return, and only the hang ceiling would end it.
        const auto run = testing_support::InChild(
            [&]
            {
                const StoredHighscore stored = ReadHighscore((Folder() / name).string());
                return stored.valid ? std::string("a record") : "no record: " + stored.problem;
            });
        EXPECT_FALSE(run.hung) << "reading the record kept the game waiting";
        EXPECT_EQ(run.output.rfind("no record: ", 0), 0u) << run.output;
        // A FIFO or a folder is left as it is; a link to a device is replaced by a record.
        const bool link = std::string(name) == "zero.json";
        EXPECT_EQ(WriteHighscore((Folder() / name).string(), "Me", 1, 1).saved, link);
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Folder() / "zero.json")));
    ::close(writer);
}

} // namespace
