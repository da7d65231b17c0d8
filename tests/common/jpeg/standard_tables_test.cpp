// What a mistyped entry in the shared tables would break: a Huffman table
// that no longer forms a prefix code or codes the wrong symbols, a zig-zag
// order that skips a coefficient, and tables that differ from the ones the
// JPEG library writes for the same standard.
#include "common/jpeg/standard_tables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include <jpeglib.h>

namespace qm::jpeg {
namespace {

struct NamedTable {
    const char* name;
    const HuffmanTable& table;
};

const NamedTable kDcTables[] = {{"DC luminance", kDcLuminanceHuffman}, {"DC chrominance", kDcChrominanceHuffman}};
const NamedTable kAcTables[] = {{"AC luminance", kAcLuminanceHuffman}, {"AC chrominance", kAcChrominanceHuffman}};

std::vector<NamedTable> allTables()
{
    return {kDcTables[0], kAcTables[0], kDcTables[1], kAcTables[1]};
}

std::set<std::uint8_t> distinctSymbols(const HuffmanTable& table)
{
    return {table.symbols.begin(), table.symbols.end()};
}

TEST(StandardHuffmanTables, EachIsAPrefixCodeMissingOnlyTheAllOnesCode)
{
    for (const auto& [name, table] : allTables()) {
        // Each code of length L takes 2^(16 - L) of the 2^16 codes of 16 bits.
        std::uint32_t used = 0;
        int longest = 0;
        std::size_t codes = 0;
        for (int length = 1; length <= 16; ++length) {
            const std::uint8_t count = table.counts[std::size_t(length - 1)];
            used += std::uint32_t(count) << (16 - length);
            codes += count;
            if (count > 0)
                longest = length;
        }
        // Canonical codes of a full table would end in all ones, which the
        // standard reserves: exactly that one longest code is left over.
        EXPECT_EQ(used, (1u << 16) - (1u << (16 - longest))) << name;
        EXPECT_EQ(codes, table.symbols.size()) << name;
    }
}

TEST(StandardHuffmanTables, CodeEverySymbolOfTheirClassOnce)
{
    std::set<std::uint8_t> dcSymbols;
    for (std::uint8_t category = 0; category <= 11; ++category)
        dcSymbols.insert(category);
    // AC: end of block, sixteen zeros, and runs 0..15 before sizes 1..10.
    std::set<std::uint8_t> acSymbols = {0x00, 0xF0};
    for (int run = 0; run < 16; ++run)
        for (int size = 1; size <= 10; ++size)
            acSymbols.insert(std::uint8_t(run << 4 | size));
    ASSERT_EQ(acSymbols.size(), 162u);

    for (const auto& [name, table] : kDcTables) {
        EXPECT_EQ(table.symbols.size(), 12u) << name;
        EXPECT_EQ(distinctSymbols(table), dcSymbols) << name;
    }
    for (const auto& [name, table] : kAcTables) {
        EXPECT_EQ(table.symbols.size(), 162u) << name;
        EXPECT_EQ(distinctSymbols(table), acSymbols) << name;
    }
}

TEST(StandardTables, ZigzagVisitsEveryCoefficientOnceDiagonalByDiagonal)
{
    std::set<std::uint8_t> visited(kZigzagToNatural.begin(), kZigzagToNatural.end());
    EXPECT_EQ(visited.size(), 64u);
    EXPECT_EQ(*visited.rbegin(), 63);
    for (std::size_t k = 1; k < 64; ++k) {
        const int row = kZigzagToNatural[k] / 8, column = kZigzagToNatural[k] % 8;
        const int previousRow = kZigzagToNatural[k - 1] / 8, previousColumn = kZigzagToNatural[k - 1] % 8;
        // Each step goes to a neighbour, never back to an earlier diagonal.
        EXPECT_LE(std::abs(row - previousRow), 1) << k;
        EXPECT_LE(std::abs(column - previousColumn), 1) << k;
        EXPECT_GE(row + column, previousRow + previousColumn) << k;
    }
}

// The tables of one small colour picture the JPEG library compresses at
// quality 50 with its standard Huffman tables, as its DQT and DHT segments
// carry them.
struct LibraryTables {
    std::map<int, std::vector<std::uint8_t>> quantisation;  // zig-zag order, by table id
    std::vector<std::uint8_t> huffman;  // the DHT payloads, concatenated
    QuantTable naturalLuminance{};
    QuantTable naturalChrominance{};
};

QuantTable naturalTable(const JQUANT_TBL* table)
{
    QuantTable values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = std::uint8_t(table->quantval[i]);
    return values;
}

LibraryTables compressAtQualityFifty()
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    jpeg_mem_dest(&cinfo, &output, &outputSize);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 50, TRUE);

    LibraryTables tables;
    tables.naturalLuminance = naturalTable(cinfo.quant_tbl_ptrs[0]);
    tables.naturalChrominance = naturalTable(cinfo.quant_tbl_ptrs[1]);

    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(16 * 3, 128);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const std::vector<std::uint8_t> file(output, output + outputSize);
    std::free(output);

    // Walk the segments from after SOI up to the scan.
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF && file[at + 1] != 0xDA) {
        const std::uint8_t marker = file[at + 1];
        const std::size_t length = std::size_t(file[at + 2]) << 8 | file[at + 3];
        const auto payload = file.begin() + std::ptrdiff_t(at + 4);
        const auto end = file.begin() + std::ptrdiff_t(at + 2 + length);
        if (marker == 0xDB) {
            // One or more tables: an 8-bit precision/id byte, then 64 values.
            for (auto table = payload; table + 65 <= end; table += 65)
                tables.quantisation[*table & 0x0F].assign(table + 1, table + 65);
        } else if (marker == 0xC4) {
            tables.huffman.insert(tables.huffman.end(), payload, end);
        }
        at += 2 + length;
    }
    return tables;
}

std::vector<std::uint8_t> dhtPayload(std::uint8_t classAndId, const HuffmanTable& table)
{
    std::vector<std::uint8_t> bytes{classAndId};
    bytes.insert(bytes.end(), table.counts.begin(), table.counts.end());
    bytes.insert(bytes.end(), table.symbols.begin(), table.symbols.end());
    return bytes;
}

const LibraryTables& libraryTables()
{
    static const LibraryTables tables = compressAtQualityFifty();
    return tables;
}

TEST(JpegLibraryTables, QuantisationIsWhatTheLibraryUsesAndWritesAtQualityFifty)
{
    const LibraryTables& library = libraryTables();
    EXPECT_EQ(library.naturalLuminance, kLuminanceQuant);
    EXPECT_EQ(library.naturalChrominance, kChrominanceQuant);
    // The file carries them in the library's own zig-zag order.
    EXPECT_EQ(library.quantisation.at(0), std::vector<std::uint8_t>(kLuminanceQuantZigzag.begin(),
                                                                   kLuminanceQuantZigzag.end()));
    EXPECT_EQ(library.quantisation.at(1), std::vector<std::uint8_t>(kChrominanceQuantZigzag.begin(),
                                                                   kChrominanceQuantZigzag.end()));
}

TEST(JpegLibraryTables, HuffmanTablesAreTheOnesTheLibraryWrites)
{
    const std::uint8_t classAndIds[] = {0x00, 0x10, 0x01, 0x11};
    const std::vector<NamedTable> tables = allTables();
    std::vector<std::uint8_t> expected;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const auto bytes = dhtPayload(classAndIds[i], tables[i].table);
        expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(libraryTables().huffman, expected);
}

}  // namespace
}  // namespace qm::jpeg
