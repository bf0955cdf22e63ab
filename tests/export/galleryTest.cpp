// galleryTest.cpp -- the gallery pages: exact texts, what is listed, and names that cannot harm
#include "export/gallery.h"
#include "export/wholeFile.h"
#include "faults.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string body =
    "\t<BODY bgcolor=\"#000000\" text=\"#4C4C4C\" link=\"#4C4C4C\" alink=\"#4C4C4C\" "
    "vlink=\"#4C4C4C\">\n\t<FONT face=\"helvetica, arial, verdana, sans-serif\">\n";
const std::string indexHead = "<HTML>\n\t<HEAD>\n\t\t<TITLE>t a r v i k 01</TITLE>\n\t</HEAD>\n" +
                              body + "\t<H2>t a r v i k 01</H2>\n";
const std::string tail = "\t</FONT>\n\t</BODY>\n</HTML>\n";

// The pages of a PNG whose name reads as text in HTML and as link in a URL path.
std::string expectedPage(const std::string& text, std::string link = "") {
    link = link.empty() ? text : link;
    return "<HTML>\n\t<HEAD>\n\t\t<TITLE>" + text + "</TITLE>\n\t</HEAD>\n" + body + "\t<H2>" +
           text + "</H2>\n\t\t<IMG src=\"" + link + "\" alt=\"" + text +
           "\" height=\"900\" width=\"900\">\n" + tail;
}

std::string expectedEntry(const std::string& text, std::string link = "") {
    link = link.empty() ? text : link;
    return "\t\t<A href=\"" + link + ".html\" name=\"" + text + "\"><IMG src=\"" + link +
           "\" alt=\"" + text + "\" height=\"100\" width=\"100\"></A>\n";
}

} // namespace

TEST(Gallery, PagesAndIndexByteForByteWithHostileNamesEscapedAndTheirLinksEncoded) {
    ImageFolder temp;
    // Name, its HTML text, its link: every byte but A-Z a-z 0-9 - . _ ~ as %XX (by hand).
    const struct {
        std::string name, text, link;
    } pngs[] = {
        {"%41.png", "%41.png", "%2541.png"},
        {"-3-1.png", "-3-1.png", ""},
        {"240-1765152000.png", "240-1765152000.png", ""},
        {"50%?\xC3\xA4:.png", "50%?\xC3\xA4:.png", "50%25%3F%C3%A4%3A.png"},
        {"<script>.png", "&lt;script&gt;.png", "%3Cscript%3E.png"},
        {"a%2Eb.png", "a%2Eb.png", "a%252Eb.png"},
        {"b.png", "b.png", ""},
        {"q<\"&# x>.png", "q&lt;&quot;&amp;# x&gt;.png", "q%3C%22%26%23%20x%3E.png"},
    };
    std::string index = indexHead;
    for (const auto& p : pngs) {
        writeFile(fs::path("tarvikImages") / p.name, p.name);
        index += expectedEntry(p.text, p.link);
    }
    writeGallery();
    for (const auto& p : pngs) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(readFile(fs::path("tarvikImages") / (p.name + ".html")),
                  expectedPage(p.text, p.link));
    }
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), index + tail);
}

TEST(Gallery, ListsOnlyPngFilesInByteOrderAndTouchesNothingElse) {
    TempDir temp;
    fs::create_directories("tarvikImages/d.png"); // a directory, not a picture
    writeFile("tarvikImages/x.html", "left alone");
    writeFile("tarvikImages/y.jpg", "not listed");
    writeFile("tarvikImages/e.png.txt", "not listed");
    writeFile("tarvikImages/b.png", "b");
    writeFile("tarvikImages/C.PNG", "c");
    writeFile("tarvikImages/a.Png", "a");
    writeFile("tarvikImages/.png", "all suffix, still a match");
    writeFile("tarvikImages/png", "too short to be listed");
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"),
              indexHead + expectedEntry(".png") + expectedEntry("C.PNG") + expectedEntry("a.Png") +
                  expectedEntry("b.png") + tail);
    EXPECT_EQ(readFile("tarvikImages/x.html"), "left alone");
    EXPECT_EQ(readFile("tarvikImages/y.jpg"), "not listed");
    EXPECT_EQ(listDirectory("tarvikImages"),
              (std::vector<std::string>{".png", ".png.html", "C.PNG", "C.PNG.html", "a.Png",
                                        "a.Png.html", "b.png", "b.png.html", "d.png", "e.png.txt",
                                        "png", "tarvik01.html", "x.html", "y.jpg"}));
}

TEST(Gallery, DamagedPagesAreRepairedWholePagesLeftAloneAndPagesOfGonePngsKept) {
    ImageFolder temp;
    writeFile("tarvikImages/a.png", "a");
    writeFile("tarvikImages/a.png.html", expectedPage("a.png").substr(0, 40));
    writeFile("tarvikImages/b.png", "b");
    writeFile("tarvikImages/b.png.html", expectedPage("b.png"));
    writeFile("tarvikImages/c.png", "c");
    writeFile("tarvikImages/c.png.html", expectedPage("c.png") + "and a stale tail");
    writeFile("tarvikImages/d.png", "d");
    ASSERT_EQ(::mkfifo("tarvikImages/d.png.html", 0666), 0); // reading it would wait for ever
    writeFile("tarvikImages/gone.png.html", "its PNG was removed");
    writeFile("tarvikImages/tarvik01.html", "stale index");
    const ino_t whole = inodeOf("tarvikImages/b.png.html");
    const SyncLog syncs("tarvikImages/tarvik01.html");
    ::alarm(10);
    writeGallery();
    ::alarm(0);
    EXPECT_EQ(readFile("tarvikImages/a.png.html"), expectedPage("a.png"));
    EXPECT_EQ(inodeOf("tarvikImages/b.png.html"), whole) << "a whole page is not rewritten";
    EXPECT_EQ(readFile("tarvikImages/c.png.html"), expectedPage("c.png")) << "nothing after it";
    EXPECT_EQ(readFile("tarvikImages/d.png.html"), expectedPage("d.png"));
    EXPECT_EQ(readFile("tarvikImages/gone.png.html"), "its PNG was removed");
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"),
              indexHead + expectedEntry("a.png") + expectedEntry("b.png") + expectedEntry("c.png") +
                  expectedEntry("d.png") + tail);
    // The index is on the disk; image pages are not synced one by one.
    EXPECT_TRUE(syncedAroundRename(syncs, "tarvikImages/tarvik01.html"));
    EXPECT_EQ(syncs.syncs().size(), 2u);
}

TEST(Gallery, RegenerationsKilledHalfwayLeaveEveryPageWhole) {
    ImageFolder temp;
    std::string index = indexHead;
    for (int i = 0; i < 200; ++i) {
        const std::string name = std::to_string(1000 + i) + ".png";
        writeFile(fs::path("tarvikImages") / name, "p");
        index += expectedEntry(name);
        if (i == 149) {
            writeGallery();
        }
    }
    const std::string earlierIndex = readFile("tarvikImages/tarvik01.html");
    // 200 entries make an index of about 26 kB and an image page has about 330 bytes: the first
    // limit kills the first new page's write, the second the index's.
    for (const rlim_t limit : {100, 10'000}) {
        SCOPED_TRACE(limit);
        EXPECT_TRUE(killedMidWrite(limit, [] { writeGallery(); }));
        EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), earlierIndex);
        std::size_t temporaries = 0;
        for (const std::string& name : listDirectory("tarvikImages")) {
            if (name.ends_with(".png.html")) {
                EXPECT_EQ(readFile(fs::path("tarvikImages") / name),
                          expectedPage(name.substr(0, name.size() - 5)));
            } else if (!name.ends_with(".png") && name != "tarvik01.html") {
                ++temporaries;
            }
        }
        EXPECT_LE(temporaries, 1u);
        removeStaleTemporaries("tarvikImages"); // as the next capture does
    }
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), index + tail);
    EXPECT_EQ(listDirectory("tarvikImages").size(), 401u) << "200 PNGs, their pages, the index";
}

TEST(Gallery, ReadOnlyDirectoryGetsItsExistingPagesInPlace) {
    ImageFolder temp;
    writeFile("tarvikImages/a.png", "a");
    writeFile("tarvikImages/b.png", "b");
    writeFile("tarvikImages/a.png.html", "stale");
    writeFile("tarvikImages/tarvik01.html", "stale index");
    ReadOnlyDirectory readOnly("tarvikImages");
    ASSERT_TRUE(readOnly.active()) << "could not make tarvikImages read-only";
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/a.png.html"), expectedPage("a.png"));
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"),
              indexHead + expectedEntry("a.png") + expectedEntry("b.png") + tail);
    EXPECT_EQ(listDirectory("tarvikImages"),
              (std::vector<std::string>{"a.png", "a.png.html", "b.png", "tarvik01.html"}));
}

TEST(Gallery, NoPngGivesAnIndexWithoutEntriesAndNoDirectoryNothing) {
    {
        ImageFolder temp;
        writeGallery();
        EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), indexHead + tail);
        EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{"tarvik01.html"});
    }
    TempDir temp;
    writeGallery();
    EXPECT_TRUE(listDirectory(".").empty());
}

TEST(Gallery, PageThatCannotBeCreatedIsSkipped) {
    TempDir temp;
    fs::create_directories("tarvikImages/b.png.html"); // in the way of b's page
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        writeFile(fs::path("tarvikImages") / name, name);
    }
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/a.png.html"), expectedPage("a.png"));
    EXPECT_TRUE(fs::is_directory("tarvikImages/b.png.html"));
    EXPECT_EQ(readFile("tarvikImages/c.png.html"), expectedPage("c.png"));
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), indexHead + expectedEntry("a.png") +
                                                          expectedEntry("b.png") +
                                                          expectedEntry("c.png") + tail);
}
