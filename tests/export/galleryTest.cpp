// galleryTest.cpp -- the gallery pages: exact texts, what is listed, and names that cannot harm
#include "export/gallery.h"
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

// The index of PNGs whose names need neither escaping nor encoding.
std::string expectedIndex(const std::vector<std::string>& names) {
    std::string index = indexHead;
    for (const std::string& name : names) {
        index += expectedEntry(name);
    }
    return index + tail;
}

void writePngs(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        writeFile(fs::path("tarvikImages") / name, name);
    }
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
        writePngs({p.name});
        index += expectedEntry(p.text, p.link);
    }
    writeGallery();
    for (const auto& p : pngs) {
        EXPECT_EQ(readFile(fs::path("tarvikImages") / (p.name + ".html")),
                  expectedPage(p.text, p.link))
            << p.name;
    }
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), index + tail);
}

TEST(Gallery, ListsOnlyPngFilesInByteOrderAndTouchesNothingElse) {
    TempDir temp;
    writeGallery();
    EXPECT_TRUE(listDirectory(".").empty()) << "no directory, nothing written";
    fs::create_directories("tarvikImages/d.png"); // a directory, not a picture
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), expectedIndex({})) << "no PNG, no entry";

    const std::vector<std::string> others = {"e.png.txt", "png", "x.html", "y.jpg"};
    for (const std::string& name : others) {
        writeFile(fs::path("tarvikImages") / name, "left alone"); // "png": too short to match
    }
    writePngs({"b.png", "C.PNG", "a.Png", ".png"}); // ".png": all suffix, still a match
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"),
              expectedIndex({".png", "C.PNG", "a.Png", "b.png"}));
    for (const std::string& name : others) {
        EXPECT_EQ(readFile(fs::path("tarvikImages") / name), "left alone") << name;
    }
    EXPECT_EQ(listDirectory("tarvikImages"),
              (std::vector<std::string>{".png", ".png.html", "C.PNG", "C.PNG.html", "a.Png",
                                        "a.Png.html", "b.png", "b.png.html", "d.png", "e.png.txt",
                                        "png", "tarvik01.html", "x.html", "y.jpg"}));
}

TEST(Gallery, DamagedPagesAreRepairedWholePagesLeftAloneAndPagesOfGonePngsKept) {
    ImageFolder temp;
    writePngs({"a.png", "b.png", "c.png", "d.png"});
    writeFile("tarvikImages/a.png.html", expectedPage("a.png").substr(0, 40));
    writeFile("tarvikImages/b.png.html", expectedPage("b.png"));
    writeFile("tarvikImages/c.png.html", expectedPage("c.png") + "and a stale tail");
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
              expectedIndex({"a.png", "b.png", "c.png", "d.png"}));
    // The index is on the disk; image pages are not synced one by one.
    EXPECT_TRUE(syncs.syncedAroundRename());
    EXPECT_EQ(syncs.count(), 2u);
}

TEST(Gallery, PagesThatCannotBeWrittenAreSkippedAndAReadOnlyFolderGetsTheRestInPlace) {
    ImageFolder temp;
    writePngs({"a.png", "b.png", "c.png"});
    fs::create_directories("tarvikImages/b.png.html"); // in the way of b's page
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/a.png.html"), expectedPage("a.png"));
    EXPECT_EQ(readFile("tarvikImages/c.png.html"), expectedPage("c.png"));
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), expectedIndex({"a.png", "b.png", "c.png"}));

    // A folder that admits no new entry: d's page cannot be made, the stale ones are rewritten.
    writePngs({"d.png"});
    writeFile("tarvikImages/a.png.html", "stale");
    const std::vector<std::string> names = listDirectory("tarvikImages");
    ASSERT_TRUE(setImmutable("tarvikImages", true)); // even root may add nothing to it
    writeGallery();
    setImmutable("tarvikImages", false);
    EXPECT_EQ(readFile("tarvikImages/a.png.html"), expectedPage("a.png"));
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"),
              expectedIndex({"a.png", "b.png", "c.png", "d.png"}));
    EXPECT_EQ(listDirectory("tarvikImages"), names);
}
