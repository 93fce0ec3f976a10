# fuzz targets of engine
