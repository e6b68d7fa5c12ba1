// Whole-file access to small text files (or a memory block) and reading them line by line as UTF-16.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

// Side files (chapter conditions, bookshelves) are read through this; the reformat walks the book's
// UTF-16 text with it. Encoding numbers are those of SourceEncoding (0 = the ANSI code page).
class MappedTextFile
{
public:
    MappedTextFile() = default;
    ~MappedTextFile();
    MappedTextFile(const MappedTextFile&) = delete;
    MappedTextFile& operator=(const MappedTextFile&) = delete;

    // Reads the whole file. `quiet` suppresses messages, `detect` recognises the encoding. False for
    // a missing, unreadable, empty or non-regular file.
    bool Open(const QString& path, bool quiet, bool detect, const std::uint8_t** data = nullptr,
              std::uint32_t* size = nullptr);
    // Takes a memory block instead of a file (not copied; it must outlive the reading).
    bool Attach(const void* block, std::uint32_t length, bool detect);
    // Takes ownership of a block.
    bool Attach(std::unique_ptr<std::uint8_t[]> block, std::uint32_t length, bool detect);
    // The next line without its line end (CR, LF or CR LF); false when no lines remain. Encoding 0
    // is read in the ANSI code page.
    bool ReadLine(QString& line);
    void Close();

    int Encoding() const { return m_encoding; }
    void SetEncoding(int encoding) { m_encoding = encoding; }
    std::uint32_t Size() const { return m_size; }

private:
    struct FreeDeleter
    {
        void operator()(std::uint8_t* p) const;
    };
    void DetectEncoding();
    bool ReadLine16(QString& line, bool bigEndian);
    bool ReadLine8(QString& line);

    std::unique_ptr<std::uint8_t[], FreeDeleter> m_fileBytes; // the file read whole
    const std::uint8_t* m_data = nullptr;
    std::uint32_t m_size = 0;
    std::uint32_t m_position = 0;
    int m_encoding = 0;
    bool m_attached = false;
    std::unique_ptr<std::uint8_t[]> m_owned;
};
