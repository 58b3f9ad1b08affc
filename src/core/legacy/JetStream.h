#pragma once

// The stream in which corvane-jet-reader hands the rows of a Jet file to the program.
// Plain C++ on purpose: the reader links libmdb and nothing of Qt.
//
//   magic                      "CVJR1"
//   per table asked for:
//     Table  name  u32 columns  (name u8 type)*  u32 rows the file declares
//     Row    (u8 present [u32 length, bytes])*   one per column, in column order
//     End    u32 rows read
//   or Missing name
//   Failure table u32 row (1-based, 0 = none) column u8 reason   (then the reader exits 5)
//   Done
//
// Numbers are little-endian; a name is u32 length + UTF-8 bytes. Values are the raw
// bytes of the file: texts as Jet keeps them, dates as 8-byte doubles, memo texts
// gathered from their long-value pages.
namespace JetStream {

inline constexpr char magic[] = "CVJR1";
inline constexpr int magicLength = 5;

enum Tag : unsigned char {
    TableTag = 'T',
    MissingTag = 'M',
    RowTag = 'R',
    EndTag = 'E',
    FailureTag = 'X',
    DoneTag = 'Z',
};

enum Reason : unsigned char {
    RowUnreadable = 1,
    LongValueUnreadable = 2,
    TableUnreadable = 3,
};

// Exit codes of the reader.
enum Exit : int {
    Success = 0,
    Usage = 2,
    NotJet = 3,
    OldJetVersion = 4,
    ReadFailure = 5,
    WriteFailure = 6,
    Truncated = 7,
};

// Jet column types the program reads (libmdb's numbering).
enum Type : unsigned char {
    BoolType = 0x01,
    ByteType = 0x02,
    IntType = 0x03,
    LongType = 0x04,
    DateTimeType = 0x08,
    TextType = 0x0a,
    MemoType = 0x0c,
};

} // namespace JetStream
