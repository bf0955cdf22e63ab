// gallery.cpp -- the HTML gallery of every PNG file in tarvikImages
#include "export/gallery.h"

#include "export/wholeFile.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

const std::filesystem::path imageDir = "tarvikImages";
const std::string indexName = "tarvik01.html";

const std::string pageHead = "\t<BODY bgcolor=\"#000000\" text=\"#4C4C4C\" link=\"#4C4C4C\" "
                             "alink=\"#4C4C4C\" vlink=\"#4C4C4C\">\n"
                             "\t<FONT face=\"helvetica, arial, verdana, sans-serif\">\n";
const std::string pageTail = "\t</FONT>\n\t</BODY>\n</HTML>\n";

bool endsWithPng(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; });
    return tail == ".png";
}

// True when path already holds exactly text; a file that cannot be read holds nothing, and
// neither does anything but a regular file. O_NONBLOCK: a FIFO under a page's name would
// otherwise hold the open until some writer came.
bool holds(const std::filesystem::path& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat about {};
    std::string bytes(text.size() + 1, '\0');
    std::size_t got = 0;
    if (::fstat(fd, &about) == 0 && S_ISREG(about.st_mode)) {
        ssize_t n = 0;
        while (got < bytes.size() && (n = ::read(fd, bytes.data() + got, bytes.size() - got)) > 0) {
            got += static_cast<std::size_t>(n);
        }
        got = n < 0 ? 0 : got;
    }
    ::close(fd);
    return got == text.size() && bytes.compare(0, text.size(), text) == 0;
}

// A page's bytes follow from the PNG names alone, so one that already holds them is left as it
// is: with thousands of pictures, a capture then costs a read per page, not a write and a
// rename. A missing or damaged page is written whole (binary, so every line feed is one byte);
// one that cannot be written is skipped without a word.
void writePage(const std::filesystem::path& path, const std::string& text, bool durable) {
    if (holds(path, text)) {
        return;
    }
    writeWhole(path, durable, [&](std::FILE* file) {
        return std::fwrite(text.data(), 1, text.size(), file) == text.size() ? fileWritten
                                                                             : fileWriteFailed;
    });
}

} // namespace

std::vector<std::string> pngNames(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        const std::string name = it->path().filename().string();
        // A directory called "x.png" is no picture.
        if (endsWithPng(name) && it->is_regular_file(typeError)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string htmlText(const std::string& name) {
    std::string text;
    for (char c : name) {
        switch (c) {
        case '&':
            text += "&amp;";
            break;
        case '<':
            text += "&lt;";
            break;
        case '>':
            text += "&gt;";
            break;
        case '"':
            text += "&quot;";
            break;
        default:
            text += c;
        }
    }
    return text;
}

std::string linkPath(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string link;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool safe = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                          (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                          byte == '_' || byte == '~';
        if (safe) {
            link += c;
        } else {
            link += '%';
            link += hex[byte >> 4];
            link += hex[byte & 15];
        }
    }
    return link;
}

std::string imagePageText(const std::string& png) {
    const std::string text = htmlText(png);
    return "<HTML>\n\t<HEAD>\n\t\t<TITLE>" + text + "</TITLE>\n\t</HEAD>\n" + pageHead + "\t<H2>" +
           text + "</H2>\n" + "\t\t<IMG src=\"" + linkPath(png) + "\" alt=\"" + text +
           "\" height=\"900\" width=\"900\">\n" + pageTail;
}

std::string indexHeadText() {
    return "<HTML>\n\t<HEAD>\n\t\t<TITLE>t a r v i k 01</TITLE>\n\t</HEAD>\n" + pageHead +
           "\t<H2>t a r v i k 01</H2>\n";
}

std::string indexEntryText(const std::string& png) {
    const std::string text = htmlText(png);
    return "\t\t<A href=\"" + linkPath(png + ".html") + "\" name=\"" + text + "\"><IMG src=\"" +
           linkPath(png) + "\" alt=\"" + text + "\" height=\"100\" width=\"100\"></A>\n";
}

std::string indexTailText() { return pageTail; }

void writeGallery() {
    // The image pages appear in the order of their entries, and the index, the page people
    // open, appears last and at once. It alone is made durable: its directory sync also keeps
    // the image pages' new entries, and a page lost at a power cut is rewritten by the next
    // capture. A missing directory makes every write fail, so nothing is written.
    const std::vector<std::string> names = pngNames(imageDir);
    std::string index = indexHeadText();
    for (const std::string& name : names) {
        writePage(imageDir / (name + ".html"), imagePageText(name), false);
        index += indexEntryText(name);
    }
    index += indexTailText();
    writePage(imageDir / indexName, index, true);
}
