// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora {

/// The bytes of a compound file (the OLE2 container of .xls workbooks: version 3, 512-byte
/// sectors) whose root storage holds one stream, `streamName` (at most 31 UTF-16 units), with
/// `content`.
///
/// A stream shorter than 4096 bytes would belong in the mini stream; this writer has none, so
/// it pads such a stream with zero bytes to 4096 and records the padded size. Workbook readers
/// stop at the last EOF record and do not mind the zeros after it.
std::string CompoundFileWithStream(std::u16string_view streamName, std::string_view content);

}  // namespace velmora
