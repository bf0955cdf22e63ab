// galleryTest.cpp -- the gallery pages: exact texts, what is listed, and names that cannot harm
#include "export/gallery.h"
#include "export/wholeFile.h"
#include "faults.h"

#include <algorithm>
#include <cctype>
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

std::string expectedPage(const std::string& p) {
    return "<HTML>\n\t<HEAD>\n\t\t<TITLE>" + p + "</TITLE>\n\t</HEAD>\n" + body + "\t<H2>" + p +
           "</H2>\n\t\t<IMG src=\"" + p + "\" alt=\"" + p + "\" height=\"900\" width=\"900\">\n" +
           tail;
}

std::string expectedEntry(const std::string& p) {
    return "\t\t<A href=\"" + p + ".html\" name=\"" + p + "\"><IMG src=\"" + p + "\" alt=\"" + p +
           "\" height=\"100\" width=\"100\"></A>\n";
}

// The value of the first attribute name="..." at or after from.
std::string attribute(const std::string& text, const std::string& name, std::size_t from = 0) {
    const std::string open = name + "=\"";
    const std::size_t start = text.find(open, from);
    if (start == std::string::npos) {
        return "<no " + name + ">";
    }
    const std::size_t begin = start + open.size();
    return text.substr(begin, text.find('"', begin) - begin);
}

std::string between(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t start = text.find(open);
    if (start == std::string::npos) {
        return "<no " + open + ">";
    }
    const std::size_t begin = start + open.size();
    return text.substr(begin, text.find(close, begin) - begin);
}

// What a browser makes of a link and of text: %XX decoded, character references resolved.
std::string percentDecoded(const std::string& link) {
    std::string name;
    for (std::size_t i = 0; i < link.size(); ++i) {
        if (link[i] == '%' && i + 2 < link.size() &&
            std::isxdigit(static_cast<unsigned char>(link[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(link[i + 2]))) {
            name += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            name += link[i];
        }
    }
    return name;
}

std::string unescaped(std::string text) {
    const std::pair<std::string, std::string> references[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    std::string plain;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [reference, c] : references) {
            if (text.compare(i, reference.size(), reference) == 0) {
                plain += c;
                i += reference.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            plain += text[i++];
        }
    }
    return plain;
}

std::size_t countOf(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

} // namespace

TEST(Gallery, TwoPngsGiveTheirPagesAndAnIndexByteForByte) {
    ImageFolder temp;
    writeFile("tarvikImages/b.png", "b");
    writeFile("tarvikImages/a.png", "a");
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/a.png.html"), expectedPage("a.png"));
    EXPECT_EQ(readFile("tarvikImages/b.png.html"), expectedPage("b.png"));
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"),
              indexHead + expectedEntry("a.png") + expectedEntry("b.png") + tail);
    // The names the system makes come through unchanged as well.
    for (const std::string name : {"240-1765152000.png", "test.png", "-3-1.png"}) {
        EXPECT_EQ(imagePageText(name), expectedPage(name));
        EXPECT_EQ(indexEntryText(name), expectedEntry(name));
    }
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
    EXPECT_EQ(pngNames("tarvikImages"),
              (std::vector<std::string>{".png", "C.PNG", "a.Png", "b.png"}));
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
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i) {
        names.push_back(std::to_string(1000 + i) + ".png");
        writeFile(fs::path("tarvikImages") / names.back(), "p");
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
    std::string index = indexHead;
    for (const std::string& name : names) {
        index += expectedEntry(name);
    }
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

TEST(Gallery, DirectoryWithoutPngGetsAnIndexWithoutEntries) {
    ImageFolder temp;
    writeGallery();
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"), indexHead + tail);
    EXPECT_EQ(listDirectory("tarvikImages"), std::vector<std::string>{"tarvik01.html"});
}

TEST(Gallery, MissingDirectoryWritesNothing) {
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

TEST(Gallery, HostileNamesInjectNothingAndTheirLinksLeadToTheirFiles) {
    ImageFolder temp;
    const std::vector<std::string> names = {"q<\"&# x>.png", "50%?\xC3\xA4:.png", "a%2Eb.png",
                                            "%41.png", "<script>.png"};
    for (const std::string& name : names) {
        writeFile(fs::path("tarvikImages") / name, name);
    }
    writeGallery();
    const std::string plainPage = expectedPage("a.png");
    const std::string index = readFile("tarvikImages/tarvik01.html");
    EXPECT_EQ(countOf(index, '<'), countOf(indexHead + tail, '<') + 3 * names.size());
    EXPECT_EQ(countOf(index, '"'), countOf(indexHead + tail, '"') + 12 * names.size());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string page = readFile(fs::path("tarvikImages") / (name + ".html"));
        // As many tags and attribute quotes as the page of a plain name: no markup got in.
        EXPECT_EQ(countOf(page, '<'), countOf(plainPage, '<'));
        EXPECT_EQ(countOf(page, '>'), countOf(plainPage, '>'));
        EXPECT_EQ(countOf(page, '"'), countOf(plainPage, '"'));
        EXPECT_EQ(unescaped(between(page, "<TITLE>", "</TITLE>")), name);
        EXPECT_EQ(unescaped(between(page, "<H2>", "</H2>")), name);
        EXPECT_EQ(unescaped(attribute(page, "alt")), name);
        EXPECT_EQ(percentDecoded(attribute(page, "src")), name);

        const std::size_t entry = index.find("name=\"" + htmlText(name) + "\"");
        ASSERT_NE(entry, std::string::npos);
        const std::size_t line = index.rfind('\n', entry);
        const std::string href = percentDecoded(attribute(index, "href", line));
        const std::string src = percentDecoded(attribute(index, "src", line));
        EXPECT_EQ(href, name + ".html");
        EXPECT_EQ(src, name);
        EXPECT_EQ(unescaped(attribute(index, "alt", line)), name);
        EXPECT_TRUE(fs::is_regular_file(fs::path("tarvikImages") / href));
        EXPECT_EQ(readFile(fs::path("tarvikImages") / src), name);
        // A relative link that could be read as anything but a path within the directory
        // would not be safe: no scheme, query or fragment survives undecoded.
        for (const std::string& link : {attribute(index, "href", line),
                                        attribute(index, "src", line), attribute(page, "src")}) {
            EXPECT_EQ(link.find_first_of(":?#<>\"& "), std::string::npos) << link;
        }
    }
}
