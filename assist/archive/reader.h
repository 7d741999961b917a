// The one interface behind which each kind of file the assistant recognises is read, the switches with which
// the user turns kinds and sources on or off, and the readers there are. Portable.
#pragma once
#include <string_view>

#include "assist/archive/byte_source.h"
#include "assist/archive/proposal.h"
#include "assist/archive/text_codec.h"

namespace arcdesc {

// The kinds of file, as the configuration window lists them.
enum class FileKind { Program, Installer, Document, Music, Picture, Archive, Text };

// What the assistant reads; every kind and source is read unless the user switched it off.
struct Sources {
    bool fileIdDiz = true;
    bool descriptIon = true;
    bool readme = true;
    bool plainText = true;
    bool programs = true;
    bool installers = true;
    bool documents = true;
    bool music = true;
    bool pictures = true;
    bool archives = true;

    bool Reads(FileKind kind) const;
};

struct ReadContext {
    const Sources& sources;
    const CodePages& pages;
};

// How many bytes of a file's start the readers are shown to recognise it.
constexpr std::size_t kHeadBytes = 4096;

// One file format: it recognises a file by its contents and proposes what the file says about itself.
class FormatReader {
public:
    virtual ~FormatReader() = default;
    virtual FileKind Kind() const = 0;
    // head: the file's first bytes (up to kHeadBytes); a reader may look further into the file.
    virtual bool Recognises(const ByteSource& file, std::string_view head) const = 0;
    // kProposed with the proposal filled, kNothing, or a negative error (the proposal then untouched).
    virtual int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const = 0;
};

const FormatReader& ZipFormat();
const FormatReader& TarFormat();
const FormatReader& PeFormat();
const FormatReader& MsiFormat();
const FormatReader& PdfFormat();
const FormatReader& Mp3Format();
const FormatReader& JpegFormat();
const FormatReader& PngFormat();
const FormatReader& TextFormat();

}  // namespace arcdesc
