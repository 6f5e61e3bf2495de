#pragma once

#include <QString>
#include <optional>

// The three kinds of value a bookmark names.
enum class ValueType { Float, Integer, String };

namespace ValueTypes {

// The Type cell as loading and saving read it: "Float", "Integer" or "String" exactly.
std::optional<ValueType> fromCell(const QString &text);
// The Type cell as the offset re-read reads it: without regard to case.
std::optional<ValueType> fromCellIgnoringCase(const QString &text);
QString name(ValueType type);

} // namespace ValueTypes

// What became of a value's write.
enum class WriteResult { Written, NotANumber, OutOfRange, OutsideFile, NoFile, UnknownType, WriteFailed };
