// The options of the simple and the complex reformat, and the complex ones' place in the settings.
#pragma once

#include <QString>

// Blanks as the reformat sees them: TAB, SPACE and the ideographic space.
constexpr bool IsReformatBlank(char16_t u)
{
    return u == u'\t' || u == u' ' || u == u'\x3000';
}

// The three boxes of the simple dialog; they start ticked every time.
struct SimpleOptions
{
    bool deleteBlankLines = true;
    bool trimBlanks = true;
    bool indent = true;
};

// The eleven signs and layout choices of the complex reformat, with their defaults.
struct ComplexOptions
{
    bool beginWithChn = true;       // a run of >= chnSpace ideographic spaces starts a paragraph
    bool beginWithEng = true;       // a run of >= engSpace TABs/SPACEs starts a paragraph
    bool checkLineLen = false;      // a short previous line ends a paragraph
    bool beginWithBlankLine = true; // a blank line ends a paragraph
    bool endWithSpec = false;       // a previous line ending in one of paraEnd ends a paragraph
    QString paraEnd = QStringLiteral("。？”」！集章");
    int chnSpace = 2;          // 0..50
    int engSpace = 4;          // 0..50
    int tailSpace = 20;        // 1..200: "short" means shorter than the average by 1/tailSpace
    bool addChnSpace = true;   // indent each paragraph with two ideographic spaces
    bool addBlankLine = false; // an empty line after each paragraph

    bool operator==(const ComplexOptions&) const = default;
};

constexpr int kMinSpaceCount = 0;
constexpr int kMaxSpaceCount = 50;
constexpr int kMinTailSpace = 1;
constexpr int kMaxTailSpace = 200;

// Reads the eleven values from the settings record; unset ones take the defaults above (kept in
// memory), stored ones are clamped into their ranges.
ComplexOptions ReadComplexOptions();
// Stores the eleven values (written through to the settings file), as the dialog does on OK.
void StoreComplexOptions(const ComplexOptions& options);
