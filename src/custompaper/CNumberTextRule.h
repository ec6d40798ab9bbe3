#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// What a number edit box takes and how it cleans what it got: the
// characters that may be typed or pasted, the range the value is clamped to,
// whether the text may be empty, and what an empty box shows once the focus
// leaves it. The edit widget (CDigitEdit) only applies these answers.
class CNumberTextRule {
public:
    // What an edit that loses the focus while empty shows.
    enum class LeavingEmpty {
        RestoreLastValid, // the last value that was valid (the alignment grids)
        PutZero,          // "0", clamped to the range (the setting tabs' value boxes)
        StayEmpty,        // nothing changes (the thickness field)
    };

    // One digit 1..9, empty while typing, the last valid value back on
    // leaving: the cell of an alignment grid.
    CNumberTextRule() = default;
    CNumberTextRule(int minimum, int maximum, bool emptyAllowed,
                    LeavingEmpty leaving = LeavingEmpty::RestoreLastValid);

    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }
    bool EmptyAllowed() const { return m_emptyAllowed; }
    LeavingEmpty Leaving() const { return m_leaving; }
    bool AllowsSign() const { return m_minimum < 0; }

    // True when every character of a typed or pasted text may go into the
    // box: ASCII digits, and "-" when the range has negative values. Other
    // input (letters, blanks, full-width digits) is refused whole.
    bool Accepts(QStringView text) const;

    // The text as the box shows it: NormalizeNumberText with this range and
    // empty rule (only digits and a leading sign stay, the value is clamped).
    QString Clean(const QString& text) const;

    // The value that a cleaned text reads when it is a number inside the
    // range; none for an empty text or a sign alone.
    std::optional<int> ValidValue(const QString& text) const;

    // The text the box gets when it loses the focus with `text`, given the
    // last valid value; none when the text stays.
    std::optional<QString> TextOnLeaving(const QString& text, int lastValid) const;

    // The signed value a text reads as by atoi: leading blanks, an optional
    // sign, then digits up to the first other character; 0 when there are
    // none, clamped to the int range.
    static int Read(const QString& text);

private:
    int m_minimum = 1;
    int m_maximum = 9;
    bool m_emptyAllowed = true;
    LeavingEmpty m_leaving = LeavingEmpty::RestoreLastValid;
};
