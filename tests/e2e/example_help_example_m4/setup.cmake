# The shipped example itself, so that a change to it shows here.
file(COPY "${CASE_DIR}/../../../examples/help_example_m4.dat" DESTINATION "${WORK_DIR}")
