// Recognising a file by its contents and handing it to the reader of its format.
#include "assist/archive/description.h"

namespace arcdesc {

bool Sources::Reads(FileKind kind) const
{
    switch (kind) {
    case FileKind::Program:
        return programs;
    case FileKind::Installer:
        return installers;
    case FileKind::Document:
        return documents;
    case FileKind::Music:
        return music;
    case FileKind::Picture:
        return pictures;
    case FileKind::Archive:
        return archives;
    case FileKind::Text:
        return plainText;
    }
    return false;
}

int ProposeForFile(const ByteSource& file, bool namedZip, const Sources& sources, const CodePages& pages,
                   Proposal& proposal)
{
    const std::string head = ReadUpTo(file, 0, kHeadBytes);
    if (head.empty())
        return file.Size() == 0 ? kNothing : kCannotOpen;
    const ReadContext context{sources, pages};

    // Formats known by their first bytes; a program may still carry a ZIP archive behind it (a self-extractor).
    static const FormatReader* const kByStart[] = {&PeFormat(), &MsiFormat(), &PdfFormat(), &JpegFormat(),
                                                   &PngFormat(), &TarFormat(), &Mp3Format()};
    const FormatReader* format = nullptr;
    for (const FormatReader* reader : kByStart)
        if (reader->Recognises(file, head)) {
            format = reader;
            break;
        }

    const bool zip = ZipFormat().Recognises(file, head);
    if (zip && sources.archives) {
        // A self-extractor's description tells more than its program; when the archive gives nothing, its
        // own format may still.
        const int result = ZipFormat().Propose(file, context, proposal);
        if (result == kProposed || !format)
            return result;
    }
    if (format)
        return sources.Reads(format->Kind()) ? format->Propose(file, context, proposal) : kNothing;
    if (zip)
        return kNothing;  // archives switched off
    if (namedZip)
        return kDamagedArchive;
    if (sources.plainText && TextFormat().Recognises(file, head))
        return TextFormat().Propose(file, context, proposal);
    return kNothing;
}

int ProposeForFile(const ByteSource& file, bool namedZip, const Sources& sources, Proposal& proposal)
{
    return ProposeForFile(file, namedZip, sources, CodePages{}, proposal);
}

}  // namespace arcdesc
