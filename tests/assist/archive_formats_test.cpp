// The assistant's file readers on files made by independent tools (the mingw-w64 resource compiler, wixl,
// reportlab, qpdf, exiftool, mutagen, ImageMagick, Python's tarfile and zipfile): what each proposes, each kind
// switched off, damaged files, and how little of a large file is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <iterator>
#include <string>
#include <vector>

#include "assist/archive/description.h"
#include "assist/archive/xmp.h"

namespace {

using namespace arcdesc;

std::string Sample(const std::string& name)
{
    std::ifstream in(std::string(KS_SAMPLES_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Shown(const std::string& ansi) { return ToUtf8(DecodeCodePage(ansi, Windows1252())); }

struct Shows {
    std::string title, keywords, abstract;
    bool operator==(const Shows&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Shows& s)
{
    return os << "{\"" << s.title << "\", \"" << s.keywords << "\", \"" << s.abstract << "\"}";
}

// The result and what the record would show (UTF-8 for comparing), for one file's bytes.
std::pair<int, Shows> Propose(const ByteSource& file, const Sources& sources = {})
{
    Proposal p;
    const int result = ProposeForFile(file, false, sources, p);
    EXPECT_LE(p.title.size(), kLineChars);
    EXPECT_LE(p.keywords.size(), kLineChars);
    EXPECT_LE(p.abstract.size(), kAbstractChars);
    return {result, {Shown(p.title), Shown(p.keywords), Shown(p.abstract)}};
}
std::pair<int, Shows> Propose(const std::string& bytes, const Sources& sources = {})
{
    MemorySource file(bytes);
    return Propose(file, sources);
}

// Files that say nothing about themselves show nothing; files in one row differ only in how the tool laid them out.
TEST(FileReaders, ProposeWhatToolMadeFilesSayAboutThemselves)
{
    const struct {
        std::vector<const char*> files;
        Shows shows;
    } cases[] = {
        // Programs and libraries: the version resource, else the kind and the processor.
        {{"pe/studio.exe", "pe/studio32.dll"},
            {"Widget Maker – designer", "Widget Studio, Société Widgets, 3.1",
                "Widget Studio 3.1 by Société Widgets. Widget Maker – designer. © 2024 Société Widgets."}},
        {{"pe/translated.exe"},
            {"Zahnradschneider", "Zahnrad Werkstatt, Zahnrad GmbH, 2.0.7.0",
                "Zahnrad Werkstatt 2.0.7.0 by Zahnrad GmbH. Zahnradschneider."}},
        {{"pe/plain.exe"},
            {"Windows program (x86-64)", "Windows program, x86-64", "A Windows program for x86-64 processors."}},
        {{"pe/plain.dll"},
            {"Windows library (x86-64)", "Windows library, x86-64", "A Windows library for x86-64 processors."}},
        {{"pe/plain32.dll"},
            {"Windows library (x86)", "Windows library, x86", "A Windows library for x86 processors."}},
        // Installers: the summary information (the generic title gives way to the subject).
        {{"msi/studio.msi"},
            {"Widget Studio Setup", "widgets, design, Acme Wïdgets",
                "Widget Studio Setup by Acme Wïdgets. Installs the widget maker. © 2024."}},
        // PDF documents: classic table, object streams, linearized, XMP beside the information, an update, XMP,
        // encrypted with clear metadata.
        {{"pdf/classic.pdf", "pdf/objstm.pdf", "pdf/linear.pdf", "pdf/info_and_xmp.pdf"},
            {"Le café des widgets – ?mega", "widgets, café, design, Zoë Müller",
                "Le café des widgets – ?mega by Zoë Müller. Widget design notes."}},
        {{"pdf/update.pdf"},
            {"Revised widget notes", "widgets, café, design, Zoë Müller",
                "Revised widget notes by Zoë Müller. Widget design notes."}},
        {{"pdf/xmp.pdf", "pdf/objstm_xmp.pdf", "pdf/clear_xmp.pdf"},
            {"Widgets in XMP", "gears, cogs, Ann Author, Bob Builder",
                "Widgets in XMP by Ann Author, Bob Builder. About widgets, in XML."}},
        // MP3: ID3v2.3, ID3v2.4 (UTF-8, several artists, a large picture frame), ID3v1, both.
        {{"mp3/v23.mp3"},
            {"Café Society", "The Widgets, Gears – Live, Rock, 1998",
                "Café Society by The Widgets. From the album Gears – Live (1998). Genre: Rock."}},
        {{"mp3/v24.mp3"},
            {"Été Lódz", "Ann, Bob, Summer, Jazz, 2019",
                "Été Lódz by Ann, Bob. From the album Summer (2019). Genre: Jazz."}},
        {{"mp3/long24.mp3"},
            {"Long Album Track", "Jazz, 2001",
                "Long Album Track. From the album The very very very very very very very very very very very "
                "very very very very very very very very very very very very very very very very very very very "
                "very very very very very very very very very very long album (2001). Genre: Jazz."}},
        {{"mp3/v1.mp3"},
            {"Old Tune", "Band é, Classics, Blues, 1987",
                "Old Tune by Band é. From the album Classics (1987). Genre: Blues."}},
        {{"mp3/both.mp3"},
            {"Long title of the version two tag, longer than thirty", "Widgets",
                "Long title of the version two tag, longer than thirty by Widgets."}},
        // Pictures: EXIF in both byte orders, XMP, PNG text plain and compressed, EXIF in a PNG.
        {{"picture/photo.jpg"},
            {"Sunset över the bay", "Zoë Photographer, Canon, Canon EOS 5D, 2019",
                "Sunset över the bay. By Zoë Photographer. Taken 2019-07-14 with Canon EOS 5D."}},
        {{"picture/intel.jpg"},
            {"Harbour at dawn", "NIKON, NIKON D750, 2021", "Harbour at dawn. Taken 2021-03-02 with NIKON D750."}},
        {{"picture/camera.jpg"},
            {"Picture taken 2019-07-14 with Canon EOS 5D", "Canon, Canon EOS 5D, 2019",
                "Taken 2019-07-14 with Canon EOS 5D."}},
        {{"picture/xmp.jpg"}, {"Gear wheel", "Ann", "Gear wheel. A close look at a gear. By Ann."}},
        {{"picture/text.png"}, {"Blue Square", "Ann", "Blue Square. A square, büt blue. By Ann."}},
        {{"picture/zipped.png"},
            {"Zipped", "",
                "Zipped. A zipped description. A zipped description. A zipped "
                "description. A zipped description. A zipped description. A zipped description. A "
                "zipped description. A zipped description."}},
        {{"picture/exif.png"}, {"Described in EXIF", "Bob", "Described in EXIF. By Bob."}},
        // Tar archives: gzip and plain, GNU long names, POSIX extended headers; a ZIP behind a program.
        {{"tar/diz.tar.gz"}, {"WIDGET TOOLS 2.1", "WIDGET, TOOLS", "WIDGET TOOLS 2.1 ----- Makes widgets for cafés."}},
        {{"tar/readme.tgz"},
            {"Gears – the cog library", "Gears, cog, library", "Gears – the cog library Build with make."}},
        {{"tar/descript.tar"}, {"The gear program", "gear, program", "The gear program"}},
        {{"tar/longname.tar"}, {"A readme far down", "readme, far, down", "A readme far down"}},
        {{"tar/pax.tar"}, {"Café tools", "Café, tools", "Café tools"}},
        {{"tar/ustar_long.tar"}, {"The shallower readme", "shallower, readme", "The shallower readme"}},
        {{"zip/sfx.exe"},
            {"Widget Studio 3.1 self-extracting", "Widget, Studio, self, extracting",
                "Widget Studio 3.1 self-extracting Unpacks itself."}},
        {{"zip/utf8.zip"},
            {"Un café pour les widgets", "café, pour, les, widgets", "Un café pour les widgets Voilà."}},
        {{"pdf/encrypted.pdf", "tar/none.tar.gz"}, {}},
    };
    for (const auto& c : cases)
        for (const char* file : c.files)
            EXPECT_EQ(Propose(Sample(file)), std::pair(c.shows.title.empty() ? kNothing : kProposed, c.shows))
                << file;

    // Comments long enough to lie in the installer's regular sectors, cut at a word's end to the abstract's width.
    const Shows shows = Propose(Sample("msi/long.msi")).second;
    EXPECT_EQ(shows.title, "Widget Studio Setup");
    std::string comments = "Widget Studio Setup by Acme Wïdgets. Long comments.";
    for (int i = 0; i < 150; ++i)
        comments += " The widget studio makes widgets.";
    EXPECT_EQ(comments.substr(0, shows.abstract.size() + 1), shows.abstract + " ");
    EXPECT_GT(shows.abstract.size(), 780u);
}

TEST(FileReaders, EachKindCanBeSwitchedOff)
{
    const struct {
        bool Sources::*kind;
        std::vector<const char*> files;
    } kinds[] = {
        {&Sources::programs, {"pe/studio.exe", "pe/plain.dll"}},
        {&Sources::installers, {"msi/studio.msi"}},
        {&Sources::documents, {"pdf/classic.pdf", "pdf/xmp.pdf"}},
        {&Sources::music, {"mp3/v23.mp3", "mp3/v1.mp3"}},
        {&Sources::pictures, {"picture/photo.jpg", "picture/text.png"}},
        {&Sources::archives, {"tar/diz.tar.gz", "tar/descript.tar", "zip/utf8.zip"}},
    };
    for (const auto& off : kinds) {
        Sources sources;
        sources.*off.kind = false;
        for (const auto& k : kinds)
            for (const char* file : k.files)
                EXPECT_EQ(Propose(Sample(file), sources).first, k.kind == off.kind ? kNothing : kProposed) << file;
    }
    // A self-extractor whose archive is not read is still a program.
    Sources noArchives;
    noArchives.archives = false;
    EXPECT_EQ(Propose(Sample("zip/sfx.exe"), noArchives).second.title, "Widget Maker – designer");
}

std::string Cut(std::string bytes, std::size_t n) { return bytes.substr(0, std::min(n, bytes.size())); }
std::string Patched(std::string bytes, std::size_t at, std::string_view with)
{
    bytes.replace(at, with.size(), with);
    return bytes;
}

TEST(FileReaders, DamagedFilesProposeWhatWasReadableOrNothing)
{
    const std::string v24 = Sample("mp3/v24.mp3"), pdf = Sample("pdf/classic.pdf"), png = Sample("picture/text.png");
    const std::string tgz = Sample("tar/readme.tgz");
    const struct {
        const char* what;
        std::string bytes;
        int result;
        const char* title;
    } cases[] = {
        {"an MP3 cut inside its picture frame keeps its texts", Cut(v24, 20000), kProposed, "Été Lódz"},
        {"an MP3 whose tag size runs past the end", Patched(Cut(v24, 5000), 6, "\x7F\x7F\x7F\x7F"), kProposed,
         "Été Lódz"},
        {"a program cut before its resources is a program", Cut(Sample("pe/studio.exe"), 0x400), kProposed, "Windows program (x86-64)"},
        {"a PDF without its cross-reference offset", Cut(pdf, pdf.rfind("startxref")), kNothing, ""},
        {"a PDF whose offset points nowhere", Patched(pdf, pdf.rfind("startxref") + 10, "9999999"), kNothing, ""},
        {"a PNG cut inside its title chunk keeps its description", Cut(png, png.find("tEXtTitle") + 6), kProposed,
         "A square, büt blue"},
        {"a JPEG whose EXIF segment runs past the end", Cut(Sample("picture/photo.jpg"), 100), kNothing, ""},
        {"an installer whose directory sector is damaged", Patched(Sample("msi/studio.msi"), 0x30, "\xF0\xFF\xFF\x0F"), kNothing, ""},
        {"a compressed tar cut inside a member before its README", Cut(tgz, tgz.size() / 2), kNothing, ""},
    };
    for (const auto& c : cases) {
        const auto [result, shows] = Propose(c.bytes);
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(shows.title, c.title) << c.what;
    }

    // Every sample cut short and with bytes changed: a result, never a crash (the sanitizers watch), and the
    // widths kept (Propose checks them).
    for (const char* file :
         {"pe/studio.exe", "pe/studio32.dll", "msi/studio.msi", "pdf/classic.pdf", "pdf/objstm_xmp.pdf",
          "pdf/linear.pdf", "mp3/v23.mp3", "mp3/v1.mp3", "picture/photo.jpg", "picture/zipped.png",
          "tar/diz.tar.gz", "tar/longname.tar", "zip/sfx.exe"}) {
        const std::string bytes = Sample(file);
        for (std::size_t part = 1; part < 24; ++part) {
            const std::size_t at = bytes.size() * part / 24;
            const int cut = Propose(Cut(bytes, at)).first;
            EXPECT_TRUE(cut == kNothing || cut == kProposed || cut == kDamagedArchive) << file << " cut at " << at;
            std::string changed = bytes;
            for (std::size_t i = at; i < std::min(at + 8, changed.size()); ++i)
                changed[i] = static_cast<char>(changed[i] ^ (0x5A + i));
            const int result = Propose(changed).first;
            EXPECT_TRUE(result >= kDamagedArchive && result <= kProposed) << file << " changed at " << at;
        }
    }
}

// Packets as other writers lay them out: other prefixes, properties as attributes, several languages, escapes.
TEST(Xmp, FindsItsPropertiesWhateverPrefixesAndFormsThePacketUses)
{
    const std::string rdf = "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'";
    const struct {
        const char* what;
        std::string packet;
        const char* found;  // title | description | creators | keywords
    } cases[] = {
        {"other prefixes, and the default language before the first",
            "<x:xmpmeta xmlns:x='adobe:ns:meta/'><r:RDF xmlns:r='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
            "<r:Description xmlns:e='http://purl.org/dc/elements/1.1/'><e:title><r:Alt>"
            "<r:li xml:lang='de'>Zahnr\xC3\xA4"
            "der</r:li><r:li xml:lang='x-default'>Gears</r:li></r:Alt></e:title>"
            "<e:creator><r:Seq><r:li>Ann</r:li><r:li>Bob</r:li></r:Seq></e:creator></r:Description></r:RDF></"
            "x:xmpmeta>",
            "Gears |  | Ann, Bob | "},
        {"properties as attributes of the description",
            "<rdf:RDF " + rdf +
                "><rdf:Description xmlns:pdf='http://ns.adobe.com/pdf/1.3/' pdf:Keywords='cogs &amp; gears'/>"
                "</rdf:RDF>",
            " |  |  | cogs & gears"},
        {"escapes, character references and CDATA",
            "<rdf:RDF " + rdf +
                " xmlns:dc='http://purl.org/dc/elements/1.1/'><rdf:Description><dc:title><rdf:Alt>"
                "<rdf:li>Caf&#xE9; &lt;1&gt; &#8211; x</rdf:li></rdf:Alt></dc:title><dc:description><rdf:Alt><rdf:li>"
                "<![CDATA[a <b> c]]></rdf:li></rdf:Alt></dc:description></rdf:Description></rdf:RDF>",
            "Café <1> – x | a <b> c |  | "},
        {"a name from another namespace is not the property",
            "<rdf:RDF " + rdf +
                " xmlns:dc='http://example.com/other/'><rdf:Description><dc:title>Not this</dc:title>"
                "</rdf:Description></rdf:RDF>",
            " |  |  | "},
        {"a packet broken off keeps what came before",
            "<rdf:RDF " + rdf +
                " xmlns:dc='http://purl.org/dc/elements/1.1/'><rdf:Description><dc:creator><rdf:Seq>"
                "<rdf:li>Ann</rdf:li><rdf:li>Bo",
            " |  | Ann | "},
    };
    for (const auto& c : cases) {
        const XmpFields x = ReadXmp(c.packet);
        std::string creators;
        for (const auto& creator : x.creators)
            creators += (creators.empty() ? "" : ", ") + ToUtf8(creator);
        EXPECT_EQ(ToUtf8(x.title) + " | " + ToUtf8(x.description) + " | " + creators + " | " + ToUtf8(x.keywords),
                  c.found)
            << c.what;
    }
}

// A file of any size, mostly zeros, with real bytes in places; counts what is read.
class LargeFile : public ByteSource {
public:
    explicit LargeFile(std::uint64_t size) : m_size(size) {}
    void Put(std::uint64_t at, const std::string& bytes) { m_parts[at] = bytes; }
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t n) const override
    {
        if (offset > m_size || n > m_size - offset)
            return false;
        m_read += n;
        auto* to = static_cast<char*>(out);
        std::fill(to, to + n, '\0');
        for (const auto& [at, bytes] : m_parts) {
            const std::uint64_t from = std::max(at, offset), end = std::min(at + bytes.size(), offset + n);
            if (from < end)
                std::copy_n(bytes.data() + (from - at), end - from, to + (from - offset));
        }
        return true;
    }
    std::uint64_t Read() const { return m_read; }

private:
    std::uint64_t m_size;
    std::map<std::uint64_t, std::string> m_parts;
    mutable std::uint64_t m_read = 0;
};

TEST(FileReaders, ReadOnlyWhatTheyNeedOfALargeFile)
{
    constexpr std::uint64_t kTwoGigabytes = 2ull << 30;
    const struct {
        const char* what;
        std::string start;  // the sample's bytes at the file's start; zeros follow
        std::string end;    // bytes at its end
        const char* title;
    } cases[] = {
        {"an MP3 of two gigabytes", Sample("mp3/v24.mp3"), "", "Été Lódz"},
        {"a program with two gigabytes behind it", Sample("pe/studio.exe"), "", "Widget Maker – designer"},
        {"a JPEG of two gigabytes", Sample("picture/photo.jpg"), "", "Sunset över the bay"},
        {"a tar of two gigabytes", Sample("tar/descript.tar"), "", "The gear program"},
        {"music with only an ID3v1 tag at its end", std::string("\xFF\xFB\x90\x64", 4),
         Sample("mp3/v1.mp3").substr(Sample("mp3/v1.mp3").size() - 128), "Old Tune"},
    };
    for (const auto& c : cases) {
        LargeFile file(kTwoGigabytes);
        file.Put(0, c.start);
        file.Put(kTwoGigabytes - c.end.size(), c.end);
        EXPECT_EQ(Propose(file).second.title, c.title) << c.what;
        EXPECT_LT(file.Read(), 2u << 20) << c.what;
    }

    // An MP3 whose tag holds a text frame of a hundred megabytes before its title: stepped over, not read.
    LargeFile mp3(kTwoGigabytes);
    mp3.Put(0, std::string("ID3\x04\0\0\x7F\x7F\x7F\x7FTXXX\x30\0\0\0\0\0", 20));
    mp3.Put(20 + (0x30ull << 21), std::string("TIT2\0\0\0\x0A\0\0\x03", 11) + "Far title");
    EXPECT_EQ(Propose(mp3).second.title, "Far title");
    EXPECT_LT(mp3.Read(), 2u << 20);

    // A ZIP whose damaged end record claims nearly all of the file as its directory: only the start is read.
    const std::string zip = Sample("zip/utf8.zip");
    const std::size_t dirAt = zip.size() - 22 - 46 - std::string("docs/readme.txt").size();
    LargeFile bigZip(kTwoGigabytes);
    bigZip.Put(0, zip.substr(0, zip.size() - 22));
    std::string end = zip.substr(zip.size() - 22);
    const std::uint64_t claimed = kTwoGigabytes - 22 - dirAt;
    for (int i = 0; i < 4; ++i)
        end[12 + i] = static_cast<char>((claimed >> (8 * i)) & 0xFF);
    bigZip.Put(kTwoGigabytes - 22, end);
    EXPECT_EQ(Propose(bigZip).second.title, "Un café pour les widgets");
    EXPECT_LT(bigZip.Read(), 10u << 20);

    // A PDF whose one large stream lies between its objects and its cross-reference table.
    const std::string head =
        "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\n2 0 obj << /Title (Big document) >> endobj\n"
        "3 0 obj << /Length 2147000000 >> stream\n";
    const std::uint64_t tableAt = kTwoGigabytes - 400;
    std::string tail = "xref\n0 4\n0000000000 65535 f\r\n";
    for (std::size_t at : {std::size_t{9}, head.find("2 0 obj"), head.find("3 0 obj")}) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n\r\n", at);
        tail += line;
    }
    tail += "trailer << /Size 4 /Root 1 0 R /Info 2 0 R >>\nstartxref\n" + std::to_string(tableAt) + "\n%%EOF\n";
    LargeFile pdf(tableAt + tail.size());
    pdf.Put(0, head);
    pdf.Put(tableAt, tail);
    EXPECT_EQ(Propose(pdf).second.title, "Big document");
    EXPECT_LT(pdf.Read(), 2u << 20);
}

}  // namespace
