# cmake -DTOOL=<talvesa-find> -DFIXTURES=<tests/fixtures> -P talvesa_find_test.cmake
# Runs the command-line finder on the fixtures and checks its output and exit status.

# check(<name> <expected exit> <expected stdout or -> <expected stderr or -> args...)
function(check name exit_code expected_out expected_err)
    execute_process(COMMAND ${TOOL} ${ARGN}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(ok TRUE)
    if(NOT rc STREQUAL exit_code)
        message(SEND_ERROR "${name}: exit ${rc}, expected ${exit_code}\nstderr: ${err}")
        set(ok FALSE)
    endif()
    if(NOT expected_out STREQUAL "-" AND NOT out STREQUAL expected_out)
        message(SEND_ERROR "${name}: stdout\n[${out}]\nexpected\n[${expected_out}]")
        set(ok FALSE)
    endif()
    if(NOT expected_err STREQUAL "-" AND NOT err STREQUAL expected_err)
        message(SEND_ERROR "${name}: stderr\n[${err}]\nexpected\n[${expected_err}]")
        set(ok FALSE)
    endif()
    if(ok)
        message(STATUS "ok: ${name}")
    endif()
endfunction()

file(READ ${FIXTURES}/example_1000.expected sets)

check("two sets for 1000" 0 "${sets}" "" ${FIXTURES}/example.txt 1000)
check("comma decimals in the target" 0 "${sets}" "" ${FIXTURES}/example.txt "1000,00")
check("full stop decimals in the target" 0 "${sets}" "" ${FIXTURES}/example.txt "1000.0")
check("settings given as options" 0 "${sets}" ""
      --date-pattern dd.MM.yyyy --date-separator=. --decimal-separator=, --currency-decimals=2
      ${FIXTURES}/example.txt 1000)
# A list drops empty arguments, so this one is spelled out.
execute_process(COMMAND ${TOOL} ${FIXTURES}/example.txt ""
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc STREQUAL "0" AND out STREQUAL "" AND err STREQUAL "")
    message(STATUS "ok: an empty target finds nothing")
else()
    message(SEND_ERROR "an empty target: exit ${rc}\nstdout: ${out}\nstderr: ${err}")
endif()
check("a negative target finds nothing" 0 "" "" ${FIXTURES}/example.txt -1000)
check("a missing file" 1 ""
      "Cannot open file \"${FIXTURES}/absent.txt\". No such file or directory.\n"
      ${FIXTURES}/absent.txt 1000)
check("a bad amount in the file" 1 ""
      "'400.00' is not a valid floating point value for field 'Pay'\n"
      ${FIXTURES}/example_bad_amount.txt 1000)
check("one operand only" 2 "" - ${FIXTURES}/example.txt)
check("an unknown option" 2 "" - --colour ${FIXTURES}/example.txt 1000)
check("a target that is no amount" 2 "" - ${FIXTURES}/example.txt 10x)
check("help" 0 - "" --help)
