# Turns the help page's Markdown into "Emberdell Help.html": cmark makes the
# body, this wraps it into a page of its own.
#   cmake -DCMARK=... -DSOURCE=help.md -DOUTPUT=... -P MakeHelpPage.cmake
execute_process(COMMAND ${CMARK} --unsafe --to html ${SOURCE}
  OUTPUT_VARIABLE Body RESULT_VARIABLE Status)
if(NOT Status EQUAL 0)
  message(FATAL_ERROR "cmark failed on ${SOURCE}")
endif()
file(WRITE ${OUTPUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>Emberdell Screensaver Help</title>
<style>
body { font-family: sans-serif; max-width: 46em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }
code, kbd { font-family: monospace; }
kbd { border: 1px solid #999; border-radius: 3px; padding: 0 0.3em; }
</style>
</head>
<body>
${Body}</body>
</html>
")
