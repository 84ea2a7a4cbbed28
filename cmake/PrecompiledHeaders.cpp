// Empty: the target it belongs to exists to compile the precompiled headers that a family of
// targets reuses.
