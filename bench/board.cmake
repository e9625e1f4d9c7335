# The board benchmark: the fits-anywhere search and drawing a full board.
set(BENCH_LIBS_board tilvan_board tilvan_data)
# It reads the shipped element types.
set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/board.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             TAMBERLO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
