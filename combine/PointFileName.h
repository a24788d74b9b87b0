#pragma once
// The name of the file a point's combinations go to.

#include <string>
#include <string_view>

namespace vestrane {

/// The file name of a point: Sample and Area joined by "_" ("-" values left
/// out), with space, double quote, * , / : ; < > ? backslash | and control
/// characters replaced by "-", and ".tab" appended.
std::string PointFileName(std::string_view sample, std::string_view area);

}  // namespace vestrane
