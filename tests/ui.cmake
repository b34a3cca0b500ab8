if(VARNADEX_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    varnadex_test(ui_main_test LABEL gui
        SOURCES ui_main_env.cpp ui_main_window_test.cpp ui_main_builder_test.cpp
                ui_main_sink_test.cpp ui_main_operation_test.cpp ui_main_access_test.cpp
                ui_main_support.h
        LIBS varnadex_ui varnadex_sim_lib varnadex_testsupport Qt6::Test)
    target_include_directories(ui_main_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
endif()
if(VARNADEX_GUI AND NOT WIN32)
    # The pictures of the documentation: the windows, and Find Converters after a search of a
    # simulated site (scripts/pictures.sh runs it under Xvfb).
    add_executable(varnadex-shots shots.cpp)
    target_link_libraries(varnadex-shots PRIVATE varnadex_ui varnadex_sim_lib Qt6::Test)
endif()
