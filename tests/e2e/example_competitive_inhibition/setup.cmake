# The shipped example itself, so that a change to it shows here.
file(COPY "${CASE_DIR}/../../../examples/competitive_inhibition.dat" DESTINATION "${WORK_DIR}")
