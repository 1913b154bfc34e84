# SPDX-License-Identifier: MIT
# Writes the man page as a web page with CR LF line ends, the manual of the Windows program.
# Usage: cmake -DMANDOC=mandoc -DPAGE=tstamp.1 -DOUTPUT=tstamp.html -P manual_html.cmake
execute_process(COMMAND ${MANDOC} -T html -O fragment ${PAGE} OUTPUT_VARIABLE body COMMAND_ERROR_IS_FATAL ANY)
string(CONCAT page "<!DOCTYPE html>\n"
    "<html><head><meta charset=\"utf-8\"><title>tstamp(1)</title></head><body>\n"
    "${body}" "</body></html>\n")
string(REPLACE "\n" "\r\n" page "${page}")
file(WRITE ${OUTPUT} "${page}")
