// The grid control's sources join this library as they are written.
