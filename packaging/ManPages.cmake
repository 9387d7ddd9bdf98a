find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

# Makes the manual page of a program from its own --help and --version whenever the program
# is built, so that the page cannot drift from the program. With SUBCOMMANDS the page also
# gives each subcommand's --help.
function(zn_man_page program summary)
  cmake_parse_arguments(PARSE_ARGV 2 arg "SUBCOMMANDS" "" "")
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/man)
  file(MAKE_DIRECTORY ${dir})
  set(page ${dir}/${program}.1)
  set(include_options)
  set(commands)
  if(arg_SUBCOMMANDS)
    set(include ${dir}/${program}.commands)
    list(APPEND include_options --include=${include})
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}>
         -DOUTPUT=${include} -P ${CMAKE_CURRENT_SOURCE_DIR}/SubcommandHelp.cmake)
  endif()
  add_custom_command(
    OUTPUT ${page}.gz
    ${commands}
    # Run by its bare name, as a user types it, so that the page names no build folder.
    COMMAND ${CMAKE_COMMAND} -E env "PATH=$<TARGET_FILE_DIR:${program}>:$ENV{PATH}"
            ${HELP2MAN} --no-info --section=1 "--name=${summary}" ${include_options}
            --output=${page} ${program}
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS ${program} SubcommandHelp.cmake
    VERBATIM)
  add_custom_target(${program}_man_page ALL DEPENDS ${page}.gz)
  set(${program}_man_page ${page}.gz PARENT_SCOPE)
endfunction()
