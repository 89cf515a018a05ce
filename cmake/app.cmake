# The desktop application: the controller, the movie view and the main window
# over Qt 6 Widgets, with the interface definition compiled by uic.
#
# Everything but main() goes into static libraries, so that the Qt Test suites
# drive the very widgets the executable shows: `moviesnap_appcore` holds the
# arithmetic of sizes, geometry and crop tracking, `moviesnap_app` the widgets.

add_library(moviesnap_appcore STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/CropTracker.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SizeArithmetic.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ViewGeometry.cpp)
target_include_directories(moviesnap_appcore PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(moviesnap_appcore PRIVATE ${MOVIESNAP_WARNINGS})

set(APP_UI_FILES
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/MainWindow.ui
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/WaitPanel.ui
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/SaveErrorPanel.ui
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/LogWindow.ui)
qt6_wrap_ui(APP_UI_HEADERS ${APP_UI_FILES})

add_library(moviesnap_app STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/AppInterface.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MyObject.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MyQuickDrawView.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MyWindow.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/Trace.cpp
    ${APP_UI_HEADERS})
set_target_properties(moviesnap_app PROPERTIES AUTOMOC ON)
target_include_directories(moviesnap_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
                                                ${CMAKE_CURRENT_BINARY_DIR})
target_compile_options(moviesnap_app PRIVATE ${MOVIESNAP_WARNINGS})
target_link_libraries(moviesnap_app PUBLIC moviesnap_appcore ImageLib platform_qt
                                           Qt6::Core Qt6::Gui Qt6::Widgets)

add_executable(moviesnap-qt ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_compile_options(moviesnap-qt PRIVATE ${MOVIESNAP_WARNINGS})
target_compile_definitions(moviesnap-qt PRIVATE PROJECT_VERSION="${PROJECT_VERSION}"
                                                MOVIESNAP_APP_ID="${MOVIESNAP_APP_ID}")
target_link_libraries(moviesnap-qt PRIVATE moviesnap_app)
