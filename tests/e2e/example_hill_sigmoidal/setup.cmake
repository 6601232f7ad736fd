# The shipped example itself, so that a change to it shows here.
file(COPY "${CASE_DIR}/../../../examples/hill_sigmoidal.dat" DESTINATION "${WORK_DIR}")
