# The game-start benchmark runs the real program (bin/tamberlo) with a probe preloaded that notes its
# first present; it links nothing of ours.
set(BENCH_LIBS_gamestart)
add_library(tamberlo_present_probe SHARED ${CMAKE_CURRENT_LIST_DIR}/probe/PresentProbe.cpp)
target_link_libraries(tamberlo_present_probe PRIVATE SDL2::SDL2 ${CMAKE_DL_LIBS})
