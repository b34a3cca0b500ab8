# cmake -DCLI=varnadex-cli -DCOMPLETION_IN=varnadex-cli.in -DCOMPLETION=varnadex-cli
#       -DSCHEMA=config.schema.json -P CliFiles.cmake
# The files made from what the program itself says, so that the field list is never written
# twice: the bash completion with the field names, and the configuration files' JSON Schema.
execute_process(COMMAND ${CLI} fields OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
string(STRIP "${fields}" fields)
string(REPLACE "\n" " " VARNADEX_FIELDS "${fields}")
configure_file(${COMPLETION_IN} ${COMPLETION} @ONLY)
execute_process(COMMAND ${CLI} schema OUTPUT_FILE ${SCHEMA} COMMAND_ERROR_IS_FATAL ANY)
