target_sources(varnadex_sim_lib PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SnmpFaults.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SnmpResponder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SnmpLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SnmpLoop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SnmpAgent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SnmpFleet.cpp
)
