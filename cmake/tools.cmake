# moviesnap, the headless command line over the image library: its parts in a
# static library (so that the tests drive them in-process too) and the program.

add_library(moviesnap_cli STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/tools/FramePlan.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tools/Options.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tools/OutputPattern.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tools/ProgressBar.cpp)
target_include_directories(moviesnap_cli PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tools)
target_compile_options(moviesnap_cli PRIVATE ${MOVIESNAP_WARNINGS})
target_link_libraries(moviesnap_cli PUBLIC ImageLib platform Threads::Threads)

# The run itself needs the frame source and the bitmap files of the library.
target_sources(moviesnap_cli PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tools/Run.cpp)
target_compile_definitions(moviesnap_cli PRIVATE MOVIESNAP_VERSION="${PROJECT_VERSION}")

add_executable(moviesnap ${CMAKE_CURRENT_SOURCE_DIR}/tools/main.cpp)
target_compile_options(moviesnap PRIVATE ${MOVIESNAP_WARNINGS})
target_link_libraries(moviesnap PRIVATE moviesnap_cli)
