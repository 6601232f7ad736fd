# A folder carrying a data file's extension is not listed.
file(MAKE_DIRECTORY "${WORK_DIR}/folder.dat")
file(WRITE "${WORK_DIR}/notes.txt" "not a data file\n")
