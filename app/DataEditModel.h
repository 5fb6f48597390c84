#pragma once
// The data editor's grid over a training's samples: one row per channel, one column per sample,
// and what typing into selected cells does.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/TrainingDataUnit.h"

namespace klt {

class TDataEditModel {
public:
    explicit TDataEditModel(TTrainingData& data) : data_(data) {}

    void SetUnits(const TDataUnits& units) { units_ = units; }
    const TDataUnits& Units() const { return units_; }
    TTrainingData& Data() const { return data_; }

    // Files before version 7 record no altitude and temperature.
    int RowCount() const;
    int ColumnCount() const { return data_.SampleCount(); }
    static std::string RowName(int row);
    // What the cell shows: the text being typed into it, else the sample's value.
    std::string CellText(int row, int column) const;

    // Typing into every selected cell of a row: the first character replaces the cell's text, the
    // next ones are appended. Whether any cell changed; a text that is no acceptable value leaves
    // the cell as it was.
    bool TypeCharacter(int row, const std::vector<int>& columns, char character);
    // Removes the last character of every selected cell.
    bool Backspace(int row, const std::vector<int>& columns);
    // The cell selection moved: the next character starts a new value.
    void EndTyping();

    // The display value a row takes from text, if the row accepts it: power 0..4095, heart rate,
    // cadence and speed 0..255, altitude and temperature also negative.
    static std::optional<double> AcceptedValue(int row, const std::string& text);
    // Texts that may stand in a cell while typing without being a value yet.
    static bool IsUnfinished(int row, const std::string& text);

private:
    template <class Edit> bool Input(int row, const std::vector<int>& columns, Edit edit);

    TTrainingData& data_;
    TDataUnits units_;
    std::map<std::pair<int, int>, std::string> typed_; // (row, column) -> text typed since EndTyping
};

} // namespace klt
