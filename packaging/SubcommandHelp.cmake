# cmake -DPROGRAM=path -DOUTPUT=file -P SubcommandHelp.cmake
# Writes a help2man include file with a COMMANDS section: the --help of each subcommand that
# PROGRAM's own --help lists, so the manual page gives every command's options.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
endif()
get_filename_component(name ${PROGRAM} NAME)
string(REGEX REPLACE ".*\nSubcommands:\n" "" listed "${help}")
string(REGEX MATCHALL "(^|\n)  [a-z][a-z-]*" commands "${listed}")

set(page "[COMMANDS]\n")
foreach(command IN LISTS commands)
  string(STRIP "${command}" command)
  execute_process(COMMAND ${PROGRAM} ${command} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${command} --help failed: ${status}")
  endif()
  # The text as it stands: a roff escape for each backslash and minus, and no line read as a
  # request.
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  string(APPEND page ".SS \"${name} ${command}\"\n.nf\n${text}.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${page}")
