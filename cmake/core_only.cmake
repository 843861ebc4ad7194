# For small projects of their own that build against the core alone (the
# benchmark and fault-test helpers): the project's language and warning
# settings, and the core without tests, benchmarks or the Qt program.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
add_compile_options(-Wall -Wextra)

get_filename_component(root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(ZARVELLA_TESTS OFF CACHE BOOL "" FORCE)
set(ZARVELLA_BENCH OFF CACHE BOOL "" FORCE)
set(ZARVELLA_LINUX_SHELL OFF CACHE BOOL "" FORCE)
add_subdirectory(${root} core)
