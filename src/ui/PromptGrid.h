// PromptGrid.h - where each line of an archive prompt goes in its dialog, for every window that
// draws the prompts. Toolkit-free.
#pragma once

#include "archive/Prompts.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vexo::ui {

/// One line of a prompt: a label (column 0) or a value (column 1), or a line across both.
struct PromptCell {
    int row = 0;
    int column = 0;
    int span = 1; // 2: the line takes both columns
    std::string text;
};

/// The prompt's lines on a two-column grid: the overwrite prompt's "Replace File :" and "With
/// File :" blocks (a label, the name, below it size and date), the continue prompt's error and
/// file rows with the question under them; any other prompt's lines one below the other. A
/// prompt short of the lines its kind needs shows none.
inline std::vector<PromptCell> PromptCells(const archive::PromptView& view) {
    std::vector<PromptCell> cells;
    const auto& lines = view.Lines;
    switch (view.Kind) {
    case archive::PromptKind::Overwrite:
        for (int block = 0; block < 2 && lines.size() >= 6; ++block) {
            const auto at = static_cast<std::size_t>(block * 3);
            cells.push_back({block * 2, 0, 1, lines[at]});
            cells.push_back({block * 2, 1, 1, lines[at + 1]});
            cells.push_back({block * 2 + 1, 1, 1, lines[at + 2]});
        }
        break;
    case archive::PromptKind::Continue:
        if (lines.size() >= 6) {
            cells = {{0, 0, 1, lines[0]}, {0, 1, 1, lines[1]}, {1, 0, 1, lines[2]},
                     {1, 1, 1, lines[3]}, {2, 1, 1, lines[4]}, {3, 0, 2, lines[5]}};
        }
        break;
    default:
        for (std::size_t i = 0; i < lines.size(); ++i)
            cells.push_back({static_cast<int>(i), 0, 2, lines[i]});
        break;
    }
    return cells;
}

/// Whether the prompt asks for a text (an edit field, no icon).
inline bool IsTextPrompt(const archive::PromptView& view) {
    return view.Kind == archive::PromptKind::InputQuery ||
           view.Kind == archive::PromptKind::PasswordQuery;
}

} // namespace vexo::ui
