// The whole public interface of the media layer.
#pragma once
