# The configuration files' JSON Schema against the CLI, with python3-jsonschema; exit 77 is a
# skip when it is not installed.
if(NOT WIN32)
    find_package(Python3 COMPONENTS Interpreter)
    if(Python3_Interpreter_FOUND)
        add_test(NAME schema
                 COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/schema_test.py
                         $<TARGET_FILE:varnadex-cli> $<TARGET_FILE:varnadex-sim>)
        set_tests_properties(schema PROPERTIES LABELS udp TIMEOUT 300 SKIP_RETURN_CODE 77)
    endif()
endif()
