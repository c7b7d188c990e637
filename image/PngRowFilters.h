// PngRowFilters: a filter chosen for each row of a PNG, for the writer's
// "best" compression.
//
// Each row is filtered with all five filters of the PNG standard (None, Sub,
// Up, Average, Paeth); every candidate is deflated on its own by a fast
// libdeflate level and the smallest is kept (ties go to the lower filter
// number). That measures what the final deflate will see better than sums
// of differences do, at the price of five quick deflates per row. Rows are
// shared out over every core; the choice does not depend on the number of
// threads.
#pragma once

#include <cstddef>
#include <cstdint>

// Filters `height` top-down rows of `rowBytes` bytes (`distance` bytes from
// a byte to its left neighbour, at least 1) into `filtered`, which holds
// height x (rowBytes + 1) bytes: each row led by its filter type. False when
// memory runs out.
bool filterPngRows(const std::uint8_t* rows, std::size_t rowBytes, std::uint32_t height, std::size_t distance,
                   std::uint8_t* filtered, unsigned threads = 0);
