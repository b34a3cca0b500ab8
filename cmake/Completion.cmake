# cmake -DCLI=varnadex-cli -DIN=varnadex-cli.in -DOUT=varnadex-cli -P Completion.cmake
# The bash completion with the field list the program itself gives, so that the list is never
# written twice.
execute_process(COMMAND ${CLI} fields OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
string(STRIP "${fields}" fields)
string(REPLACE "\n" " " VARNADEX_FIELDS "${fields}")
configure_file(${IN} ${OUT} @ONLY)
