#pragma once

#include <memory>
#include <type_traits>

#include "grid/GridCellBase.h"

namespace quillon::grid {

// The class of the cells a grid makes: a name and a way to make one. Only classes
// derived from CGridCellBase can be described, so a grid never makes something else.
struct GridCellClass {
    const char* name;
    std::unique_ptr<CGridCellBase> (*create)();
};

template <typename Cell>
const GridCellClass& GridCellClassOf(const char* name) {
    static_assert(std::is_base_of_v<CGridCellBase, Cell>, "grid cells derive from CGridCellBase");
    static const GridCellClass cellClass{name,
                                         []() -> std::unique_ptr<CGridCellBase> { return std::make_unique<Cell>(); }};
    return cellClass;
}

}  // namespace quillon::grid
