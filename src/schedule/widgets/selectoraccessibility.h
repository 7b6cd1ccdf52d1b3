#pragma once

// What a screen reader learns of a selector: a combo box named by its label (the widget's
// accessible name), whose value and text are its shown text, and whose drop-down list, a window of
// its own, is its one child, a list with one item per row of the selector's list query. Installed
// once, by the first selector widget.
void InstallSelectorAccessibility();

class LookupComboBox;
class SelectorListPopup;

// Tell a listening screen reader that the shown text changed, or which row of the open list is
// highlighted now.
void AnnounceSelectorValue(LookupComboBox& box);
void AnnounceHighlightedRow(SelectorListPopup& popup);
