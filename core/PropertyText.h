#pragma once
// The readable text form of an object's properties, in which settings files are stored:
//
//   object KLTIniFile: TKLTIniFile
//     SystemData.UserName = 'O''Neill'
//     SystemData.UnitsSPD = 1
//     OptionData.GraphicData.PRBGICanvasOptions = [PlotHilfsLinieH, PlotBereiche]
//     OptionData.KLTGraphicType = gtMultiRow
//     FileHistory.Strings = (
//       '/home/rider/a.klt'
//       '/home/rider/b.klt')
//   end
//
// One line per property, nested objects as dotted names, every property written. Booleans are
// True or False, enumerations and set members by name, numbers in C locale form. Texts are quoted
// with '' for a quote; control characters stand outside the quotes as #<code>, as in 'a'#10'b'.
// Other bytes are written as they are, so UTF-8 texts and any file name survive unchanged.
#include <string>
#include <string_view>

#include "core/Persistent.h"

namespace klt {

std::string WritePropertyText(TPersistent& object, std::string_view objectName, std::string_view className);

// Sets the properties named in the text; properties it does not name keep their values. Anything
// that is not such a text for className (syntax, an unknown or repeated property, a value of the
// wrong kind or out of range) throws EConvertError naming the line; the object may then be changed
// in part.
void ReadPropertyText(std::string_view text, TPersistent& object, std::string_view className);

} // namespace klt
