#!/usr/bin/env perl
# shift-asf-frame.pl FILE FRAME[-LAST] MILLISECONDS
# Damages an ASF (WMV) file in place as one flipped bit in a timestamp would: the presentation
# time of video frame FRAME (counted from 0 as stored), or of the frames FRAME to LAST, moves
# by MILLISECONDS.
use strict;
use warnings;

my ($path, $frames, $shift) = @ARGV;
my ($first, $last) = split /-/, $frames;
$last //= $first;
open(my $fh, '+<:raw', $path) or die "$path: $!";
my $d = do { local $/; <$fh> };

# The file properties object holds the packet size; the data object's packets follow its header.
my $properties = index($d, pack('H*', 'a1dcab8c47a9cf118ee400c00c205365'));
my $data = index($d, pack('H*', '3626b2758e66cf11a6d900aa0062ce6c'));
die "$path is no ASF file" if $properties < 0 || $data < 0;
my $packetSize = unpack('V', substr($d, $properties + 92, 4));

# A field whose width a two-bit code gives: 0, 1, 2 or 4 bytes.
sub field {
    my ($at, $code) = @_;
    my $width = (0, 1, 2, 4)[$code];
    return (0, $at) unless $width;
    return (unpack(('C', 'v', 'V')[$width == 4 ? 2 : $width - 1], substr($d, $at, $width)),
            $at + $width);
}

my $found = 0;
my ($videoObject, $lastObject) = (-1, -1);    # counted here: the stored number wraps at 256
for (my $packet = $data + 50; $packet + $packetSize <= length $d; $packet += $packetSize) {
    my $at = $packet;
    my $errorCorrection = ord substr($d, $at++, 1);
    $at += $errorCorrection & 0x0f if $errorCorrection & 0x80;
    my $lengthTypes = ord substr($d, $at++, 1);
    my $properties = ord substr($d, $at++, 1);
    my $padding;
    (undef, $at) = field($at, ($lengthTypes >> 5) & 3);    # packet length
    (undef, $at) = field($at, ($lengthTypes >> 1) & 3);    # sequence
    ($padding, $at) = field($at, ($lengthTypes >> 3) & 3);
    $at += 6;                                              # send time, duration
    my ($payloads, $payloadLengthType) = (1, 0);
    if ($lengthTypes & 1) {
        my $flags = ord substr($d, $at++, 1);
        ($payloads, $payloadLengthType) = ($flags & 0x3f, ($flags >> 6) & 3);
    }
    for (1 .. $payloads) {
        my $stream = ord(substr($d, $at++, 1)) & 0x7f;
        my ($object, $replicated, $length);
        ($object, $at) = field($at, ($properties >> 4) & 3);
        (undef, $at) = field($at, ($properties >> 2) & 3);    # offset into the object
        ($replicated, $at) = field($at, $properties & 3);
        $videoObject++ if $stream == 1 && $object != $lastObject;
        $lastObject = $object if $stream == 1;
        # Replicated data: the object's size, then its presentation time in milliseconds.
        if ($stream == 1 && $videoObject >= $first && $videoObject <= $last && $replicated >= 8) {
            my $time = unpack('V', substr($d, $at + 4, 4)) + $shift;
            substr($d, $at + 4, 4) = pack('V', $time & 0xffffffff);
            $found = 1;
        }
        $at += $replicated;
        if ($lengthTypes & 1) {
            ($length, $at) = field($at, $payloadLengthType);
        } else {
            $length = $packet + $packetSize - $at - $padding;
        }
        $at += $length;
    }
}
die "$path has no video frame $frames" unless $found;
seek($fh, 0, 0);
print $fh $d;
close $fh;
