# The settings dialogs: their rules without widgets, and the dialogs themselves offscreen.
varnadex_test(dialogrules_test LABEL unit SOURCES dialogrules_test.cpp)
if(VARNADEX_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    varnadex_test(ui_dialogs_test LABEL gui SOURCES ui_dialogs_test.cpp ui_dialogs_support.h
        LIBS varnadex_ui varnadex_testsupport Qt6::Test)
    varnadex_test(ui_dialogs_layout_test LABEL gui SOURCES ui_dialogs_layout_test.cpp
        ui_dialogs_support.h LIBS varnadex_ui varnadex_testsupport)
endif()
