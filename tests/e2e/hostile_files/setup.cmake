# A number of more than a million digits, a folder with a data file's name and a
# listed name of 201 characters: generated here rather than kept in the tree.
string(REPEAT "5" 1100000 digits)
file(WRITE "${WORK_DIR}/i_long_line.dat" "1\n10 1\n0.01 0.01\n100 100\n1 ${digits}\n2 0.7\n")
file(MAKE_DIRECTORY "${WORK_DIR}/x.dat")
string(REPEAT "z" 197 stem)
file(WRITE "${WORK_DIR}/${stem}.dat" "1\n10 1\n0.01 0.01\n100 100\n1 0.5\n2 0.7\n")
