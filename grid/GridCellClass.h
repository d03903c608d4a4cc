#pragma once

#include <memory>
#include <type_traits>

#include "grid/GridCellBase.h"

namespace quillon::grid {

// The class of the cells a grid makes: a way to make one. Only classes derived from
// CGridCellBase can be described, so a grid never makes something else.
struct GridCellClass {
    std::unique_ptr<CGridCellBase> (*create)();
};

template <typename Cell>
const GridCellClass& GridCellClassOf() {
    static_assert(std::is_base_of_v<CGridCellBase, Cell>, "grid cells derive from CGridCellBase");
    static const GridCellClass cellClass{[]() -> std::unique_ptr<CGridCellBase> { return std::make_unique<Cell>(); }};
    return cellClass;
}

}  // namespace quillon::grid
