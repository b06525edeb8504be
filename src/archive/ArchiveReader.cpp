// ArchiveReader.cpp - header checks and a bounded walk over the entries of one file.
#include "archive/ArchiveReader.h"

#include "archive/Exceptions.h"
#include "archive/TextFormat.h"
#include "platform/Encoding.h"

namespace vexo::archive {

TArchiveHeader ReadCheckedHeader(platform::Stream& s, std::int64_t start,
                                 const std::string& fileName, const TMessages& messages) {
    TArchiveHeader header;
    // A locator or version strings that place the archive outside the file say so; the
    // signature text is for bytes that are there but are no header.
    if (start < 0 || start > s.Size())
        throw EArchiver(Format(W1252("El archivo comprimido empieza en %d, fuera del archivo "
                                     "\"%s\" de %d bytes"),
                               start, fileName, s.Size()));
    s.SetPosition(start);
    if (!ReadHeader(s, header)) throw EArchiver(Format(messages.BadSignature, fileName));
    if (header.Version > kHighestVersion) throw Exception(messages.UnknownVersion);
    CheckHeaderBlockSize(header, fileName);
    return header;
}

void CheckHeaderBlockSize(const TArchiveHeader& header, const std::string& fileName) {
    if (header.BlockSize < 0)
        throw EArchiver(Format(W1252("Tamaño de bloque no válido (%d) en el archivo \"%s\""),
                               header.BlockSize, fileName));
    if (header.BlockSize > kMaxHeaderBlockSize)
        throw EArchiver(Format(W1252("Tamaño de bloque demasiado grande (%d bytes, el máximo es "
                                     "%d) en el archivo \"%s\""),
                               header.BlockSize, kMaxHeaderBlockSize, fileName));
}

std::vector<TFileEntry> ReadSegmentEntries(platform::Stream& s, std::int64_t start,
                                           const TArchiveHeader& header) {
    std::int64_t first = start + HeaderSize(header);
    std::int64_t end = start + header.EndOffset;
    if (header.EndOffset < HeaderSize(header) || end > s.Size())
        throw EArchiver(Format(W1252("EndOffset no válido (%d): el archivo tiene %d bytes desde "
                                     "el inicio del archivo comprimido"),
                               header.EndOffset, s.Size() - start));
    std::vector<TFileEntry> entries;
    s.SetPosition(first);
    while (s.Position() < end) {
        std::int64_t at = s.Position();
        TFileEntry entry;
        ReadFileEntry(s, entry);
        std::int64_t data = s.Position();
        if (entry.PieceStoredSize < 0 || data > end || entry.PieceStoredSize > end - data)
            throw EArchiver(Format(W1252("Entrada dañada en la posición %d: %d bytes de datos "
                                         "fuera del archivo"),
                                   at - start, entry.PieceStoredSize));
        s.SetPosition(data + entry.PieceStoredSize);
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace vexo::archive
