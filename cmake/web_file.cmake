# Copies one of the page's files into the build; in the HTML the version replaces
# @QUILLON_VERSION@.
if(IN MATCHES "\\.html$")
  file(READ ${IN} text)
  string(REPLACE "@QUILLON_VERSION@" "${VERSION}" text "${text}")
  file(WRITE ${OUT} "${text}")
else()
  file(COPY_FILE ${IN} ${OUT})
endif()
