# Helper programs of the hardening tests, built with the game library.

# Saves the high score table over and over with the game's own save, for the kill test.
add_executable(save_loop ${CMAKE_CURRENT_LIST_DIR}/save_loop.cpp)
target_compile_options(save_loop PRIVATE -Wall -Wextra)
target_link_libraries(save_loop PRIVATE game)
