# The scratch listing cannot be written where a folder holds its name.
file(MAKE_DIRECTORY "${WORK_DIR}/DirContents.txt")
