// What the "Archive Description" assistant proposes for a file: it recognises the file by its contents (a
// program, an installer, a PDF, an MP3, a picture, a ZIP or tar archive, a plain text) and proposes title,
// keywords and abstract from what the file says about itself. Portable; the library's entry points wrap it.
#pragma once
#include "assist/archive/proposal.h"
#include "assist/archive/reader.h"
#include "assist/archive/text_codec.h"

namespace arcdesc {

// The whole decision for one file. namedZip: the file's name ends in ".ZIP", so a file that cannot be read as
// anything is a damaged archive rather than some other kind of file.
int ProposeForFile(const ByteSource& file, bool namedZip, const Sources& sources, const CodePages& pages,
                   Proposal& proposal);
// The same for the record's default code pages.
int ProposeForFile(const ByteSource& file, bool namedZip, const Sources& sources, Proposal& proposal);

}  // namespace arcdesc
