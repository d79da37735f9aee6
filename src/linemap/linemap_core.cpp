// Placeholder unit until the plan drawing units exist.
