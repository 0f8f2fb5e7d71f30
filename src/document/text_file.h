// Text files: recognising a file's encoding, decoding its lines into the paragraphs of a text
// store, and writing a store back. The encodings are numbered as the text store keeps them.
// A file is written with the mark of its encoding and CR LF after every line, the last one
// included, so that reading it back yields the same paragraphs. Writing goes through a
// temporary file that replaces the target only when complete: a failed write never damages
// the previous file. The one exception is a writable file in a folder that takes no temporary
// file: it is written in place, and a failure then leaves it cut short.
#pragma once

#include <QString>

class CodePage;
class CTextStore;
class QIODevice;

enum TextEncoding : int {
    kEncodingUnicode = 0, // UTF-16 little-endian, written with FF FE in front
    kEncodingAnsi = 1,    // the system code page, written without a mark
    kEncodingUtf8 = 2,    // UTF-8, written with EF BB BF in front
};

// "UNICODE", "ANSI" or "UTF-8"; empty for a number that is no encoding.
QString EncodingName(int encoding);

// Reads the whole file from its start: fills the store with one paragraph per line, sets the
// encoding found and clears the edited flag. The file is decoded piece by piece as it is read,
// with no copy of the whole text (a large UTF-8 or UTF-16 file on disk in two halves at once,
// each on a core of its own), and the heap freed by the load is returned to the system.
// When the file cannot be read the result is false, `error` (when given) says why, and the
// store is left as it was.
bool ReadTextFile(QIODevice& file, CTextStore& store, const CodePage& ansi, QString* error = nullptr);
bool ReadTextFile(const QString& path, CTextStore& store, const CodePage& ansi, QString* error = nullptr);

// Writes the store in its encoding. On failure `error` (when given) says why, and the previous
// file stays as it was unless `inPlace` (when given) is set: it is set when the file was
// written in place, whether or not the write succeeded.
bool WriteTextFile(const CTextStore& store, const QString& path, const CodePage& ansi, QString* error,
                   bool* inPlace = nullptr);
