// What pictures say about themselves (EXIF in JPEG and PNG files, PNG text chunks, XMP), and the proposal made
// from it. Portable.
#pragma once
#include <string>
#include <string_view>

#include "assist/archive/proposal.h"
#include "assist/archive/text_codec.h"
#include "assist/archive/xmp.h"

namespace arcdesc {

struct PictureInfo {
    std::u32string title, description, artist, date, make, model, copyright;
};

// Reads an EXIF block (a TIFF structure: byte order, directories and their entries) into what is still empty.
void ReadExif(std::string_view tiff, const CodePages& pages, PictureInfo& info);
// Takes XMP's fields into what is still empty.
void TakeXmp(const XmpFields& xmp, PictureInfo& info);

bool ProposePicture(const PictureInfo& info, const CodePage& record, Proposal& proposal);

}  // namespace arcdesc
