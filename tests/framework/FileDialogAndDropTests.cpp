// The file dialog's answer shape, dropped files reaching the application, and
// the data folder search.
#include "TestApp.h"

#include "framework/CFileDialog.h"
#include "framework/CSdlEventTranslator.h"
#include "framework/DataFolder.h"
#include "framework/WindowProcedure.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

TEST(FileSelection, FoldsSeveralPathsIntoTheirSharedFolderAndBack)
{
    const CFileSelection one = selectionFromPaths({"/home/me/Art/Hero.png"});
    EXPECT_EQ(one.path, "/home/me/Art/Hero.png");
    EXPECT_TRUE(one.names.empty());

    const std::vector<std::string> several{"/home/me/Art/Hero.png", "/home/me/Art/coin.PNG"};
    const CFileSelection folded = selectionFromPaths(several);
    EXPECT_EQ(folded.path, "/home/me/Art");
    EXPECT_EQ(folded.names, (std::vector<std::string>{"Hero.png", "coin.PNG"}));
    EXPECT_EQ(folded.paths(), several);

    // Files from different folders (a search result) are named below the folder they share.
    const std::vector<std::string> mixed{"/a/b/x.png", "/a/c/y.png", "/z.png"};
    const CFileSelection spread = selectionFromPaths(mixed);
    EXPECT_EQ(spread.path, "/");
    EXPECT_EQ(spread.names, (std::vector<std::string>{"a/b/x.png", "a/c/y.png", "z.png"}));
    EXPECT_EQ(spread.paths(), mixed);
}

TEST(DropFiles, OneDropOfSeveralFilesReachesTheApplicationAsOneSignal)
{
    CSdlEventTranslator translator;
    std::deque<CWindowMessage> messages;
    char first[] = "/tmp/a b.png";
    char second[] = "/tmp/folder";
    SDL_Event event{};
    event.type = SDL_DROPBEGIN;
    translator.translate(event, messages);
    event.type = SDL_DROPFILE;
    event.drop.file = first;
    translator.translate(event, messages);
    event.drop.file = second;
    translator.translate(event, messages);
    EXPECT_TRUE(messages.empty());
    event.type = SDL_DROPCOMPLETE;
    event.drop.file = nullptr;
    translator.translate(event, messages);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front().message, WindowMessage::dropFiles);

    FakePlatform fake;
    TestApp app(&fake);
    struct Receiver {
        void dropped(const std::vector<std::string>& files)
        {
            received = files;
            ++drops;
        }
        std::vector<std::string> received;
        int drops = 0;
        CSlotList slots;
    } receiver;
    connectSlot(receiver.slots, app.onDropFiles, &receiver, &Receiver::dropped);
    windowProcedure(messages.front());
    EXPECT_EQ(receiver.drops, 1);
    EXPECT_EQ(receiver.received, (std::vector<std::string>{"/tmp/a b.png", "/tmp/folder"}));

    // A drop that brought no file sends nothing.
    messages.clear();
    event.type = SDL_DROPBEGIN;
    translator.translate(event, messages);
    event.type = SDL_DROPCOMPLETE;
    translator.translate(event, messages);
    EXPECT_TRUE(messages.empty());
}

TEST(DataFolder, WorkingDirectoryComesFirstAndNeedsTheMarker)
{
    const std::filesystem::path here = std::filesystem::current_path();
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() /
                                          ("qf-datafolder-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch / "Quiltforger");
    std::filesystem::current_path(scratch);
    EXPECT_EQ(findDataFolder("Quiltforger", "gui.xml"), "");  // no marker: passed over
    std::ofstream(scratch / "Quiltforger" / "gui.xml") << "<gui/>";
    EXPECT_EQ(findDataFolder("Quiltforger", "gui.xml"), "Quiltforger");
    const std::vector<std::string> candidates = dataFolderCandidates("Quiltforger");
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates[1], executableFolder() + "/Quiltforger");
    EXPECT_EQ(candidates[2], executableFolder() + "/../share/quiltforger/Quiltforger");
    EXPECT_NE(candidates[3].find("share/quiltforger/Quiltforger"), std::string::npos);
    std::filesystem::current_path(here);
    std::filesystem::remove_all(scratch);
}
