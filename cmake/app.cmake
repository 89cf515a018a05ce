# The desktop application: the controller, the movie view and the main window
# over Qt 6 Widgets, with the interface definition compiled by uic. Its sources
# are the project's top folder, which a subdirectory cannot be, so its targets
# are included by the top-level file from here (paths relative to that folder).
#
# Everything but main() goes into static libraries, so that the Qt Test suites
# drive the very widgets the executable shows: `moviesnap_appcore` holds the
# arithmetic of sizes, geometry and crop tracking, `moviesnap_app` the widgets.

add_library(moviesnap_appcore STATIC
    CropTracker.cpp
    SizeArithmetic.cpp
    ViewGeometry.cpp
)
target_include_directories(moviesnap_appcore PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(moviesnap_appcore PRIVATE ${MOVIESNAP_WARNINGS})

qt6_wrap_ui(APP_UI_HEADERS
    resources/LogWindow.ui
    resources/MainWindow.ui
    resources/SaveErrorPanel.ui
    resources/WaitPanel.ui
)

add_library(moviesnap_app STATIC
    AppInterface.cpp
    MyObject.cpp
    MyQuickDrawView.cpp
    MyWindow.cpp
    Trace.cpp
    ${APP_UI_HEADERS}
)
set_target_properties(moviesnap_app PROPERTIES AUTOMOC ON)
target_include_directories(moviesnap_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
                                                ${CMAKE_CURRENT_BINARY_DIR})
target_compile_options(moviesnap_app PRIVATE ${MOVIESNAP_WARNINGS})
target_link_libraries(moviesnap_app PUBLIC moviesnap_appcore ImageLib platform_qt
                                           Qt6::Core Qt6::Gui Qt6::Widgets)

add_executable(moviesnap-qt main.cpp)
target_compile_options(moviesnap-qt PRIVATE ${MOVIESNAP_WARNINGS})
target_compile_definitions(moviesnap-qt PRIVATE PROJECT_VERSION="${PROJECT_VERSION}"
                                                MOVIESNAP_APP_ID="${MOVIESNAP_APP_ID}")
target_link_libraries(moviesnap-qt PRIVATE moviesnap_app)
