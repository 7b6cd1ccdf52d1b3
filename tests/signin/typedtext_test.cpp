#include "signin/typedtext.h"

#include <gtest/gtest.h>

// Key presses as the window systems send them (X11 and Windows agree on these texts).
TEST(TypedTextTest, OnlyKeysThatTypeGiveAText) {
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        QString typed;
    } cases[] = {
        {"letter", Qt::Key_A, none, "a", "a"},
        {"capital", Qt::Key_A, shift, "A", "A"},
        {"Cyrillic letter", Qt::Key_unknown, none, QString::fromUtf8("Ж"), QString::fromUtf8("Ж")},
        {"blank", Qt::Key_Space, none, " ", " "},
        {"digit on the keypad", Qt::Key_5, Qt::KeypadModifier, "5", "5"},
        {"AltGr (Ctrl+Alt) character", Qt::Key_Q, ctrl | Qt::AltModifier, "@", "@"},
        {"two characters at once", Qt::Key_unknown, none, QString::fromUtf8("´x"), QString::fromUtf8("´x")},
        {"character outside the BMP", Qt::Key_unknown, none, QString::fromUtf8("𝐀"), QString::fromUtf8("𝐀")},
        {"formatting character by Ctrl+Shift", Qt::Key_2, ctrl | shift, QString(QChar(0x200C)),
         QString(QChar(0x200C))},
        {"Enter", Qt::Key_Return, none, "\r", "\r"},
        {"Enter on the keypad", Qt::Key_Enter, Qt::KeypadModifier, "\r", "\r"},
        {"Backspace", Qt::Key_Backspace, none, "\b", "\b"},
        {"Backspace without text", Qt::Key_Backspace, none, "", "\b"},
        {"Ctrl+Backspace", Qt::Key_Backspace, ctrl, "\x7f", ""},
        {"Delete", Qt::Key_Delete, none, "\x7f", ""},
        {"Delete on the keypad", Qt::Key_Delete, Qt::KeypadModifier, "\x7f", ""},
        {"Left", Qt::Key_Left, none, "", ""},
        {"Right", Qt::Key_Right, none, "", ""},
        {"Shift+Left", Qt::Key_Left, shift, "", ""},
        {"Home", Qt::Key_Home, none, "", ""},
        {"End", Qt::Key_End, none, "", ""},
        {"Ctrl+V", Qt::Key_V, ctrl, "\x16", ""},
        {"Ctrl+V carrying its letter", Qt::Key_V, ctrl, "v", ""},
        {"Ctrl+V on a Cyrillic layout", Qt::Key_V, ctrl, QString::fromUtf8("м"), ""},
        {"Ctrl+C", Qt::Key_C, ctrl, "\x03", ""},
        {"Ctrl+X", Qt::Key_X, ctrl, "\x18", ""},
        {"Ctrl+A", Qt::Key_A, ctrl, "\x01", ""},
        {"Ctrl+Shift+Z", Qt::Key_Z, ctrl | shift, "\x1a", ""},
        {"Shift+Insert", Qt::Key_Insert, shift, "", ""},
        {"Ctrl+Insert", Qt::Key_Insert, ctrl, "", ""},
        {"Shift+Delete", Qt::Key_Delete, shift, "\x7f", ""},
        {"Escape", Qt::Key_Escape, none, "\x1b", ""},
        {"Tab", Qt::Key_Tab, none, "\t", ""},
        {"control character typed alone", Qt::Key_unknown, none, "\x05", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TypedText(c.key, c.modifiers, c.text), c.typed) << c.name;
}

TEST(TypedTextTest, NewPasswordTakesLatinLettersDigitsUnderscoreAndBackspace) {
    const struct {
        QString typed;
        bool taken;
    } cases[] = {
        {"", true},
        {"a", true},
        {"Z", true},
        {"0", true},
        {"9", true},
        {"_", true},
        {"\b", true},
        {"Ab_9", true},
        {"\r", false},
        {" ", false},
        {"-", false},
        {".", false},
        {"@", false},
        {"`", false},
        {"{", false},
        {"\x7f", false},
        {"\x16", false},
        {QString::fromUtf8("Ж"), false},
        {QString::fromUtf8("é"), false},
        {QString::fromUtf8("a´"), false},
        {QString(QChar(0x200C)), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NewPasswordTakes(c.typed), c.taken) << c.typed.toStdString();
}
