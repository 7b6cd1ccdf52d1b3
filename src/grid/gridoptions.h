#pragma once

#include <QFlags>

// What the grid shows and allows (its Options).
enum GridOption {
    dgEditing = 0x0001,
    dgAlwaysShowEditor = 0x0002,
    dgTitles = 0x0004,
    dgIndicator = 0x0008,
    dgColumnResize = 0x0010,
    dgColLines = 0x0020,
    dgRowLines = 0x0040,
    dgTabs = 0x0080,
    dgRowSelect = 0x0100,
    dgAlwaysShowSelection = 0x0200,
    dgConfirmDelete = 0x0400,
    dgCancelOnExit = 0x0800,
    dgMultiSelect = 0x1000,
};
Q_DECLARE_FLAGS(GridOptions, GridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridOptions)

// The grid's further options (its OptionsEx).
enum GridOptionEx {
    dgxFixed3D = 0x0001,
    dgxHighlightFocus = 0x0002,
    dgxClearSelection = 0x0004,
    dgxRowHighlight = 0x0008,
    dgxDialogFind = 0x0010,
    dgxEnterAsTab = 0x0020,
    dgxIncSearch = 0x0040,
};
Q_DECLARE_FLAGS(GridOptionsEx, GridOptionEx)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridOptionsEx)

// The dataset operations the grid may start (its AllowedOps).
enum GridAllowedOp {
    aoInsert = 0x1,
    aoUpdate = 0x2,
    aoDelete = 0x4,
    aoAppend = 0x8,
};
Q_DECLARE_FLAGS(GridAllowedOps, GridAllowedOp)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridAllowedOps)
